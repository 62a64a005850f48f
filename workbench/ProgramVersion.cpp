#include "workbench/ProgramVersion.h"

namespace ProgramVersion {

QString Product()
{
    return QStringLiteral(PELORIX_PRODUCT_VERSION);
}

QString File()
{
    return QStringLiteral(PELORIX_FILE_VERSION);
}

} // namespace ProgramVersion
