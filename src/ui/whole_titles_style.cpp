#include "ui/whole_titles_style.h"

#include <QStyleOption>

#include <algorithm>

QRect WholeTitlesStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                       SubControl subControl, const QWidget *widget) const
{
    QRect rect = QProxyStyle::subControlRect(control, option, subControl, widget);
    const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    if (control != CC_GroupBox || subControl != SC_GroupBoxLabel || !box)
        return rect;
    // The width the text takes as drawn, and a pixel for antialiasing.
    const int drawn = box->fontMetrics.horizontalAdvance(box->text) + 1;
    if (rect.width() < drawn)
        rect.setWidth(drawn);
    return rect;
}
