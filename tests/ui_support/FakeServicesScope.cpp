#include "ui_support/FakeServicesScope.h"

namespace rs {

TFakeServicesScope::TFakeServicesScope()
    : FOldMessages(SetMessages(&Messages)), FOldBeeper(SetBeeper(&Beeper)),
      FOldClipboard(SetClipboard(&Clipboard)), FOldFileDialogs(SetFileDialogs(&FileDialogs)),
      FOldFolderDialog(SetFolderDialog(&FolderDialog)), FOldClock(SetClock(&Clock)),
      FOldKeyboard(SetKeyboard(&Keyboard)), FOldUrls(SetUrlOpener(&Urls))
{
}

TFakeServicesScope::~TFakeServicesScope()
{
    SetMessages(FOldMessages);
    SetBeeper(FOldBeeper);
    SetClipboard(FOldClipboard);
    SetFileDialogs(FOldFileDialogs);
    SetFolderDialog(FOldFolderDialog);
    SetClock(FOldClock);
    SetKeyboard(FOldKeyboard);
    SetUrlOpener(FOldUrls);
}

} // namespace rs
