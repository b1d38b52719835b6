#pragma once
// The tool bar's zoom box: an editable list of zoom percentages that accepts
// only digits and the decimal separator, and on Enter completes the text
// with "%" and reports the choice.

#include <QComboBox>

namespace rs {

class TZoomBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TZoomBox(QWidget* parent = nullptr);

    // The zoom factor a text stands for: the part before the first "%",
    // trimmed. Empty: nothing to do (ok true, has false). Not a number: ok false.
    static void ParseZoom(const QString& text, bool& has, bool& ok, double& zoom);

signals:
    // An item was chosen or Enter was pressed.
    void Chosen();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};

} // namespace rs
