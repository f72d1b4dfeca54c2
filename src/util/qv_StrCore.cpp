#include "qv_StrCore.h"

namespace qvtext {

LeadByteTest g_leadByteTest = nullptr;

}  // namespace qvtext
