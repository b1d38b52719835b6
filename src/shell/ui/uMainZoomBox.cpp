#include "shell/ui/uMainZoomBox.h"

#include "common/Utils.h"
#include "shell/uZoomText.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace rs {

TZoomBox::TZoomBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // What is typed is what counts: "2" stays 2 %, never completed to 200 %.
    setCompleter(nullptr);
    setFocusPolicy(Qt::ClickFocus);
    setFixedWidth(68);
    addItems({QStringLiteral("100%"), QStringLiteral("200%"), QStringLiteral("300%"), QStringLiteral("400%"),
              QStringLiteral("500%"), QStringLiteral("1000%"), QString()});
    setEditText(QStringLiteral("100%"));
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, [this] { emit Chosen(); });
}

void TZoomBox::ParseZoom(const QString& text, bool& has, bool& ok, double& zoom)
{
    const TZoomEntry e = ParseZoomText(text.toStdString());
    has = e.Has;
    ok = e.Ok;
    zoom = e.Zoom;
}

bool TZoomBox::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == lineEdit() && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            const QString text = currentText();
            if (!text.contains(QLatin1Char('%')))
                setEditText(text.trimmed() + QLatin1Char('%'));
            emit Chosen();
            return true;
        }
        const QString typed = k->text();
        // Keys that type nothing (arrows, Delete, shortcuts) go on as usual.
        if (typed.isEmpty() || k->key() == Qt::Key_Backspace || (k->modifiers() & Qt::ControlModifier))
            return false;
        const QChar c = typed.at(0);
        if (c.isPrint() && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != QLatin1Char(DecimalSeparator()))
            return true;
        return false;
    }
    return QComboBox::eventFilter(watched, e);
}

} // namespace rs
