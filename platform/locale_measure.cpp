#include "platform/locale_measure.h"

#include <QLocale>

namespace qrp {

std::string LocaleMeasure()
{
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? "1" : "0";
}

}  // namespace qrp
