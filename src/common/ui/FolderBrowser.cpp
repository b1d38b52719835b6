#include "common/ui/FolderBrowser.h"

namespace rs {

bool TFolderBrowser::Execute()
{
    TFolderRequest req;
    req.Title = Title;
    req.Folder = Folder;
    req.DirsOnly = (BrowseFlags & bfDirsOnly) != 0;
    req.OnChange = OnChangeFolder;
    QString chosen;
    if (!FolderDialog().Browse(FOwner, req, chosen))
        return false;
    Folder = chosen;
    return true;
}

} // namespace rs
