#include "common/ui/FakeServices.h"

namespace rs {

QStringList TScriptedFileDialogs::AskOpenFileNames(QWidget*, const TFileDialogRequest& request)
{
    FOpenRequests << request;
    if (FOpen.empty())
        return {};
    QStringList files = FOpen.front();
    FOpen.pop_front();
    if (!request.MultiSelect && files.size() > 1)
        files = files.mid(0, 1);
    return files;
}

QString TScriptedFileDialogs::AskSaveFileName(QWidget*, const TFileDialogRequest& request)
{
    FSaveRequests << request;
    if (FSave.empty())
        return {};
    QString file = FSave.front();
    FSave.pop_front();
    return file;
}

bool TScriptedFolderDialog::Browse(QWidget*, const TFolderRequest& request, QString& folder)
{
    FRequests << request;
    FStatus.clear();
    if (FAnswers.empty())
        return false;
    std::optional<QString> answer = FAnswers.front();
    FAnswers.pop_front();
    if (!answer)
        return false;
    if (request.OnChange) {
        int enabledOK = -1;
        request.OnChange(*answer, enabledOK, FStatus);
        if (enabledOK == 0)
            return false;
    }
    folder = *answer;
    return true;
}

} // namespace rs
