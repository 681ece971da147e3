// Scripted dialogs for the viewer tests: each dialog answers what the test queued and every
// message shown is recorded.
#pragma once

#include "viewer/dialogs.h"

#include <QStringList>
#include <QUrl>

#include <deque>
#include <optional>

namespace qrp::testsupport {

class ScriptedDialogs : public TViewerDialogs {
public:
    // File names the dialogs answer in turn; an empty name or none left means Cancel.
    std::deque<QString> OpenAnswers;
    std::deque<QString> SaveAnswers;
    std::deque<bool> OverwriteAnswers;
    // What the user changes in the print dialog; nothing queued means Cancel.
    struct PrintAnswer {
        int Copies = 1;
        int FromPage = 0;  // 0 keeps the prepared range
        int ToPage = 0;
        QString PrinterName;
    };
    std::deque<PrintAnswer> PrintAnswers;

    QStringList SaveSuggestions;
    std::deque<bool> LinkAnswers;  // none left means No
    QStringList LinkQuestions;
    QList<QUrl> OpenedLinks;
    bool OpenLinkSucceeds = true;
    QStringList Messages;
    QStringList Errors;
    int OverwriteQuestions = 0;
    std::vector<TPrintDialogState> PrintDialogsShown;

    std::optional<QString> ExecuteOpen(QWidget*) override { return Next(OpenAnswers); }
    std::optional<QString> ExecuteSave(QWidget*, const QString& suggested) override
    {
        SaveSuggestions << suggested;
        return Next(SaveAnswers);
    }
    bool ExecutePrint(QWidget*, TPrintDialogState& state) override
    {
        PrintDialogsShown.push_back(state);
        if (PrintAnswers.empty()) return false;
        const PrintAnswer answer = PrintAnswers.front();
        PrintAnswers.pop_front();
        state.Copies = answer.Copies;
        if (answer.FromPage > 0) state.FromPage = answer.FromPage;
        if (answer.ToPage > 0) state.ToPage = answer.ToPage;
        state.PrinterName = answer.PrinterName;
        return true;
    }
    bool AskOverwrite(QWidget*) override
    {
        ++OverwriteQuestions;
        if (OverwriteAnswers.empty()) return false;
        const bool yes = OverwriteAnswers.front();
        OverwriteAnswers.pop_front();
        return yes;
    }
    void ShowMessage(QWidget*, const QString& text) override { Messages << text; }
    void ShowError(QWidget*, const QString& text) override { Errors << text; }
    bool AskOpenLink(QWidget*, const QString& target) override
    {
        LinkQuestions << target;
        if (LinkAnswers.empty()) return false;
        const bool yes = LinkAnswers.front();
        LinkAnswers.pop_front();
        return yes;
    }
    bool OpenLink(const QUrl& url) override
    {
        OpenedLinks << url;
        return OpenLinkSucceeds;
    }

private:
    static std::optional<QString> Next(std::deque<QString>& answers)
    {
        if (answers.empty()) return std::nullopt;
        const QString answer = answers.front();
        answers.pop_front();
        if (answer.isEmpty()) return std::nullopt;
        return answer;
    }
};

}  // namespace qrp::testsupport
