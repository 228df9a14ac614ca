#include "platform/scripted_prompter.h"

#include <gtest/gtest.h>

namespace veranth::platform {
namespace {

TEST(PlatformScriptedAnswer, ParsesEveryFormAndRefusesOthers) {
    using K = ScriptedAnswer::Kind;
    const struct {
        const char* text;
        K kind;
        const char* value;
    } cases[] = {{"yes", K::Yes, ""},          {"No", K::No, ""},
                 {"OK", K::Ok, ""},            {"cancel", K::Cancel, ""},
                 {"text:12", K::Text, "12"},   {"text:", K::Text, ""},
                 {"text:a:b", K::Text, "a:b"}, {"file:/tmp/x.csv", K::File, "/tmp/x.csv"},
                 {"choose:1000042", K::Choose, "1000042"}};
    for (const auto& c : cases) {
        const ScriptedAnswer answer = ScriptedAnswer::Parse(QLatin1String(c.text));
        EXPECT_EQ(answer.kind, c.kind) << c.text;
        EXPECT_EQ(answer.value, QLatin1String(c.value)) << c.text;
    }
    for (const char* bad : {"y", "maybe", "", "txt:1"}) EXPECT_THROW(ScriptedAnswer::Parse(QLatin1String(bad)), std::invalid_argument) << bad;
}

TEST(PlatformScriptedPrompter, AnswersInOrderAndRecordsEveryPrompt) {
    ScriptedPrompter prompter({ScriptedAnswer::Parse(QStringLiteral("yes")), ScriptedAnswer::Parse(QStringLiteral("text:42")),
                               ScriptedAnswer::Parse(QStringLiteral("file:/data/codes.csv"))});
    EXPECT_EQ(prompter.Ask(QStringLiteral("Proceed?"), QStringLiteral("Time Fees")), MessageResult::Yes);
    prompter.Inform(QStringLiteral("Done"), QStringLiteral("Time Fees"), MessageIcon::Information);
    EXPECT_EQ(prompter.Input({QStringLiteral("New ID"), QStringLiteral("Database ID"), QStringLiteral("1")}), QStringLiteral("42"));
    const FileDialogResult file = prompter.FileDialog({FileDialogRequest::Mode::Open, QStringLiteral("Open Codes"), {}, 1, {}, {},
                                                       FileDialogFlags::HideReadOnly});
    EXPECT_TRUE(file.accepted);
    EXPECT_EQ(file.fileName, QStringLiteral("/data/codes.csv"));

    const auto& records = prompter.Records();
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[0].title, QStringLiteral("Time Fees"));
    EXPECT_EQ(records[0].icon, MessageIcon::Question);
    EXPECT_EQ(records[0].answer, QStringLiteral("yes"));
    EXPECT_EQ(records[1].text, QStringLiteral("Done"));
    EXPECT_EQ(records[1].icon, MessageIcon::Information);
    EXPECT_EQ(records[1].answer, QStringLiteral("ok"));
    EXPECT_EQ(records[2].kind, PromptRecord::Kind::Input);
    EXPECT_EQ(records[3].kind, PromptRecord::Kind::FileDialog);
    EXPECT_EQ(prompter.RemainingAnswers(), 0);
}

TEST(PlatformScriptedPrompter, AnEmptyScriptDeclinesEverything) {
    ScriptedPrompter prompter;
    EXPECT_EQ(prompter.Ask(QStringLiteral("Delete?")), MessageResult::No);
    EXPECT_EQ(prompter.Message({QStringLiteral("Commit?"), QStringLiteral("Veranth"), MessageButtons::YesNoCancel}), MessageResult::Cancel);
    EXPECT_EQ(prompter.Message({QStringLiteral("Go on?"), QStringLiteral("Veranth"), MessageButtons::OkCancel}), MessageResult::Cancel);
    EXPECT_EQ(prompter.Input({QStringLiteral("Password"), QStringLiteral("Veranth"), {}}), std::nullopt);
    EXPECT_FALSE(prompter.FileDialog({}).accepted);
    EXPECT_EQ(prompter.BrowseFolder(QStringLiteral("Destination"), {}), std::nullopt);
    EXPECT_EQ(prompter.Choose({QStringLiteral("Branches"), {}, {{QStringLiteral("1"), QStringLiteral("Head Office")}}}), std::nullopt);
}

TEST(PlatformScriptedPrompter, AMessageLeavesTheAnswerForTheQuestionAfterIt) {
    ScriptedPrompter prompter({ScriptedAnswer::Parse(QStringLiteral("no"))});
    prompter.Inform(QStringLiteral("Branch ID could not be Found"));
    EXPECT_EQ(prompter.RemainingAnswers(), 1);
    EXPECT_EQ(prompter.Ask(QStringLiteral("Proceed?")), MessageResult::No);
}

TEST(PlatformScriptedPrompter, AnAnswerThatDoesNotFitIsRefused) {
    const struct {
        const char* answer;
        std::function<void(ScriptedPrompter&)> prompt;
    } cases[] = {
        {"file:/x", [](ScriptedPrompter& p) { p.Ask(QStringLiteral("Proceed?")); }},
        {"yes", [](ScriptedPrompter& p) { p.Input({QStringLiteral("New ID"), QStringLiteral("Veranth"), {}}); }},
        {"text:1", [](ScriptedPrompter& p) { p.FileDialog({}); }},
        {"choose:9", [](ScriptedPrompter& p) { p.Choose({QStringLiteral("Branches"), {}, {{QStringLiteral("1"), QStringLiteral("Head")}}}); }},
        {"cancel", [](ScriptedPrompter& p) { p.Ask(QStringLiteral("Proceed?")); }},
    };
    for (const auto& c : cases) {
        ScriptedPrompter prompter({ScriptedAnswer::Parse(QLatin1String(c.answer))});
        EXPECT_THROW(c.prompt(prompter), ScriptMismatch) << c.answer;
    }
}

TEST(PlatformScriptedPrompter, ObserverSeesEachRecordAsItIsMade) {
    ScriptedPrompter prompter({ScriptedAnswer::Parse(QStringLiteral("choose:2"))});
    QStringList seen;
    prompter.SetObserver([&](const PromptRecord& r) { seen.append(r.title + QLatin1Char('=') + r.answer); });
    prompter.Choose({QStringLiteral("Branches"), {}, {{QStringLiteral("1"), QStringLiteral("Head")}, {QStringLiteral("2"), QStringLiteral("North")}}});
    prompter.Beep();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Branches=2"), QStringLiteral("=")}));
}

}  // namespace
}  // namespace veranth::platform
