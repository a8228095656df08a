#pragma once
// The window's style, with group box titles given the room they are drawn
// in: the style measures a title a few pixels narrower than it draws it and
// clips the drawing there, so a title's last letter was cut ("LibreOffice
// Calc" lost its "c").

#include <QProxyStyle>

class WholeTitlesStyle : public QProxyStyle
{
  public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                         SubControl subControl, const QWidget *widget) const override;
};
