#include "install/instance_lock.h"

#include "resources/product.h"
#include "toolkit/format.h"

std::string AlreadyInstallingMessage(const std::string& folder) {
    return tk::Format("%s is already being installed into %s.", ProductName, folder.c_str());
}
