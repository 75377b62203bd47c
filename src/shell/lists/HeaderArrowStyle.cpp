#include "shell/lists/HeaderArrowStyle.h"

#include <QStyleOptionHeader>

namespace qor {

void CHeaderArrowStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
    if (element != PE_IndicatorHeaderArrow || !header || header->sortIndicator == QStyleOptionHeader::None) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    QStyleOptionHeader turned(*header);
    turned.sortIndicator = header->sortIndicator == QStyleOptionHeader::SortUp ? QStyleOptionHeader::SortDown
                                                                               : QStyleOptionHeader::SortUp;
    QProxyStyle::drawPrimitive(element, &turned, painter, widget);
}

} // namespace qor
