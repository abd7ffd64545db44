#pragma once
// Reading the named RCDATA resources of a Windows executable from its bytes, without
// Windows: the PE headers, the section table and the three-level resource directory; and
// where its Authenticode signature lies.
// Portable; every offset is checked against the file, so a truncated or hostile file
// gives EPeError, never a read outside it.
#include "toolkit/exception.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Not a PE file, or a damaged one; the message says what is wrong in one line.
class EPeError : public tk::Exception {
public:
    using tk::Exception::Exception;
};

struct PeResource {
    std::string Name; // as stored, UTF-16 reduced to 8 bits ('?' beyond ASCII)
    std::uint16_t Language = 0;
    std::string_view Data; // points into the file given to ReadRcDataResources
};

// The RCDATA (type 10) resources with string names, in directory order, one per name
// (the first language). Numbered RCDATA resources are skipped. An executable without a
// resource directory gives an empty list. Raises EPeError.
std::vector<PeResource> ReadRcDataResources(std::string_view file);

// The resource among `resources` whose name equals `name` regardless of ASCII case, as
// FindResourceA matches; nullptr when there is none.
const PeResource* FindResource(const std::vector<PeResource>& resources, std::string_view name);

// The certificate table (the security data directory): where the file's Authenticode
// signature lies, appended after the image. Size 0: the file is not signed. Whether the
// signature is valid is not checked here (osslsigncode verify does that). Raises EPeError
// when the table lies outside the file or its first entry is no PKCS #7 signature.
struct PeCertificateTable {
    std::uint32_t Offset = 0, Size = 0;
};
PeCertificateTable ReadCertificateTable(std::string_view file);
