#pragma once
// Installs a fake for every platform service for as long as it lives and
// restores the previous ones afterwards. A test declares one and scripts or
// inspects its members:
//
//   rs::TFakeServicesScope fakes;
//   fakes.Messages.SetNextAnswer(rs::TMsgResult::Yes);
//   ... run the window ...
//   QCOMPARE(fakes.Messages.LastText(), QString("..."));

#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"

namespace rs {

class TFakeServicesScope
{
public:
    TFakeServicesScope();
    ~TFakeServicesScope();
    TFakeServicesScope(const TFakeServicesScope&) = delete;
    TFakeServicesScope& operator=(const TFakeServicesScope&) = delete;

    TScriptedMessages Messages;
    TCountingBeeper Beeper;
    TRecordingClipboard Clipboard;
    TScriptedFileDialogs FileDialogs;
    TScriptedFolderDialog FolderDialog;
    TManualClock Clock;
    TFakeKeyboard Keyboard;
    TRecordingUrlOpener Urls;

private:
    IMessageService* FOldMessages;
    IBeeper* FOldBeeper;
    IClipboard* FOldClipboard;
    IFileDialogs* FOldFileDialogs;
    IFolderDialog* FOldFolderDialog;
    IClock* FOldClock;
    IKeyboard* FOldKeyboard;
    IUrlOpener* FOldUrls;
};

} // namespace rs
