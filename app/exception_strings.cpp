// The standard library's exception classes (std::logic_error, std::runtime_error and their
// kin, which std::vector and std::string throw through the library's __throw_* helpers)
// keep their message in the older reference-counted std::string. The library supplies that
// string's members as one object of some 400 functions, and on this target the linker
// keeps every function an object's unwind tables name: linked for the few the exception
// classes call, it would add 32 KB of code and tables to the installer, plus the random
// device code it refers to.
//
// This file, built with the older string, instantiates from the library's own headers the
// members the exception classes call, so the linker finds them here and leaves that object
// out. Nothing thrown changes: the same classes, built by the library's code. Should a
// newer library call one more member, the linker takes the library's object again (the
// instantiations are link-once), and the installer's link check says which member to add.
#include <string>

using CowString = std::basic_string<char>;

template CowString::_Rep* CowString::_Rep::_S_create(CowString::size_type,
                                                       CowString::size_type,
                                                       const std::allocator<char>&);
template void CowString::_Rep::_M_destroy(const std::allocator<char>&) throw();
template void CowString::_Rep::_M_dispose(const std::allocator<char>&);
template char* CowString::_Rep::_M_clone(const std::allocator<char>&, CowString::size_type);
template char* CowString::_S_construct(CowString::size_type, char, const std::allocator<char>&);
template void CowString::swap(CowString&);
template CowString& CowString::assign(const CowString&);
