#include "log/security_id.h"

namespace halvorn {

// Revision 1, the number of sub-authorities, SECURITY_NT_AUTHORITY (5) big-endian in six bytes,
// then each sub-authority little-endian.

SecurityId AdministratorsAlias() { return {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0}; }

SecurityId LocalSystemAccount() { return {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}; }

}  // namespace halvorn
