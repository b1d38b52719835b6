#pragma once
// Records what reaches a tablet component, for the window tests.

#include "tablet/Tablet.h"

#include <QMouseEvent>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

namespace rs::test {

struct TabletRecorder
{
    QStringList Lines;

    void Attach(TTablet& t)
    {
        t.OnCursorMove = [this](TTablet*, TCurButtons b, int x, int y) {
            Lines << QStringLiteral("move %1 %2,%3").arg(b).arg(x).arg(y);
        };
        t.OnButtonPress = [this](TTablet*, TCurButton b, TCurButtons, int x, int y) {
            Lines << QStringLiteral("press %1 %2,%3").arg(b).arg(x).arg(y);
        };
        t.OnButtonUp = [this](TTablet*, TCurButton b, TCurButtons, int x, int y) {
            Lines << QStringLiteral("up %1 %2,%3").arg(b).arg(x).arg(y);
        };
        t.OnButtonClick = [this](TTablet*, TCurButton b, TCurButtons, int x, int y) {
            Lines << QStringLiteral("click %1 %2,%3").arg(b).arg(x).arg(y);
        };
        t.OnSwapMode = [this](TTablet* s) { Lines << (s->Mode() == moAbsolute ? "swap abs" : "swap rel"); };
    }
    QStringList Take()
    {
        QStringList l = Lines;
        Lines.clear();
        return l;
    }
    // Only the lines that start with prefix.
    QStringList Take(const QString& prefix)
    {
        QStringList l = Lines.filter(QRegularExpression(QLatin1Char('^') + prefix));
        Lines.clear();
        return l;
    }
};

// A mouse move with the given buttons held, delivered to the widget itself
// (moves through the platform's pointer would reach whatever window lies
// under it on the shared offscreen screen).
inline void MoveMouse(QWidget* w, QPoint pos, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent me(QEvent::MouseMove, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::NoButton, held,
                   Qt::NoModifier);
    QApplication::sendEvent(w, &me);
}

} // namespace rs::test
