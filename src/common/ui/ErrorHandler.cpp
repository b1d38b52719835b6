#include "common/ui/ErrorHandler.h"

#include "common/Utils.h"
#include "common/ui/MessageService.h"
#include "common/ui/UiHelpers.h"

#include <QtGlobal>

namespace rs {

namespace {
// A box is up for an earlier error: a further one (a paint handler failing
// again under the box, say) is not shown, or the boxes would pile up.
int GShowing = 0;

void Show(const QString& text, QWidget* parent)
{
    if (GShowing > 0) {
        qWarning("%s", qPrintable(text));
        return;
    }
    ++GShowing;
    try {
        ShowError(text, parent);
    } catch (...) {
    }
    --GShowing;
}
} // namespace

QString ExceptionText(const std::exception& e)
{
    const char* what = e.what();
    const std::string_view s(what ? what : "");
    if (IsValidUtf8(s))
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    return CpToQ(s);
}

QString UnknownErrorText() { return QStringLiteral("Ocorreu um erro inesperado."); }

void ShowException(const std::exception& e, QWidget* parent) { Show(ExceptionText(e), parent); }

void ShowCurrentException(QWidget* parent)
{
    try {
        throw;
    } catch (const std::exception& e) {
        ShowException(e, parent);
    } catch (...) {
        Show(UnknownErrorText(), parent);
    }
}

bool RunGuarded(const std::function<void()>& command, QWidget* parent)
{
    if (!command)
        return true;
    try {
        command();
        return true;
    } catch (...) {
        ShowCurrentException(parent);
        return false;
    }
}

} // namespace rs
