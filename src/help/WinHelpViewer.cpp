#include "help/WinHelpViewer.h"

std::shared_ptr<IWinHelpTester> WinHelpTester;

int TWinHelpViewer::KeywordScore(const QString& keyword) {
    if (!WinHelpTester)
        return 1;
    return WinHelpTester->CanShowALink(keyword, helpFile()) ? 1 : 0;
}

QStringList TWinHelpViewer::KeywordEntries(const QString& keyword) {
    return WinHelpTester ? WinHelpTester->GetHelpStrings(keyword) : QStringList{keyword};
}

bool TWinHelpViewer::AcceptsTopic(const QString& topic) {
    return !WinHelpTester || WinHelpTester->CanShowTopic(topic, helpFile());
}

bool TWinHelpViewer::AcceptsContext(int context, const QString& fileName) {
    return !WinHelpTester || WinHelpTester->CanShowContext(context, fileName);
}
