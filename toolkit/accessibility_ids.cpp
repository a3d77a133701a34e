// The two identifiers of the system's accessibility annotation service that
// the accessibility services use (accessibility.cpp), defined here. The import library
// that also holds them (uuid) is one table of thousands of identifiers, all
// of which a reference to one of them brings into the program.

#include <windows.h>

#include <oleacc.h>

// The annotation service's class and its interface, as the system
// registers them.
extern "C" const CLSID CLSID_AccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
extern "C" const IID IID_IAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
