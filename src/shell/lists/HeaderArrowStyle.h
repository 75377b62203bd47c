// The list headings' sort arrow points up when the smallest value is at the top. Qt's header
// draws ascending order with the style's down arrow, so this style turns the arrow around.
#pragma once

#include <QProxyStyle>

namespace qor {

class CHeaderArrowStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(
        PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const override;
};

} // namespace qor
