#include "app/SupportLinks.h"

namespace linecal {

SupportLinks SupportLinks::fromBuild() {
    return {QStringLiteral(LINECAL_SUPPORT_MAIL), QStringLiteral(LINECAL_SUPPORT_ISSUES),
            QStringLiteral(LINECAL_SUPPORT_WEB), QStringLiteral(LINECAL_SUPPORT_SOFTWARE_CENTRE)};
}

}  // namespace linecal
