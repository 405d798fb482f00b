#include "log/security_id.h"

namespace halvorn {

// Revision 1, the number of sub-authorities, SECURITY_NT_AUTHORITY (5) big-endian in six bytes,
// then each sub-authority little-endian.

SecurityId AdministratorsAlias() { return {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0}; }

SecurityId LocalSystemAccount() { return {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}; }

SecurityId TrustedInstallerService() {
    return {1, 6, 0, 0, 0, 0, 0, 5, 80, 0, 0, 0, 0xB5, 0x89, 0xFB, 0x38, 0x19, 0x84, 0xC2, 0xCB,
            0x5C, 0x6C, 0x23, 0x6D, 0x57, 0x00, 0x77, 0x6E, 0xC0, 0x02, 0x64, 0x87};
}

}  // namespace halvorn
