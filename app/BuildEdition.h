#pragma once
#include "library/Edition.h"

namespace qv {

// The edition this program was built as.
constexpr Edition BuildEdition() {
#if defined(QV_EDITION_SERVER)
    return Edition::Server;
#elif defined(QV_EDITION_ADVANCED)
    return Edition::Advanced;
#else
    return Edition::Standalone;
#endif
}

}  // namespace qv
