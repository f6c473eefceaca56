#include "installer/actions/InstallAction.h"

#include "installer/InstallOptions.h"
#include "support/PromptSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Records its number when it undoes, the way every concrete action decides.
class LoggingAction : public InstallAction {
public:
    LoggingAction(int id, std::vector<int>& undone) : m_id(id), m_undone(undone) {}
    ~LoggingAction() override {
        if (ShouldUndo()) m_undone.push_back(m_id);
    }

private:
    int m_id;
    std::vector<int>& m_undone;
};

using InstallActionTest = TestSupport::OptionsFixture;

TEST_F(InstallActionTest, UndoesOnlyWhenNeitherCommittedNorNoRollback) {
    struct Case {
        bool commit;
        bool noRollback;
        bool undone;
    };
    const Case cases[] = {{false, false, true}, {true, false, false}, {false, true, false}, {true, true, false}};
    for (const Case& c : cases) {
        Options().noRollback = c.noRollback;
        std::vector<int> undone;
        {
            LoggingAction action(1, undone);
            EXPECT_FALSE(action.IsCommitted());
            if (c.commit) action.Commit();
            EXPECT_EQ(action.IsCommitted(), c.commit);
        }
        EXPECT_EQ(undone, c.undone ? std::vector<int>{1} : std::vector<int>{}) << c.commit << c.noRollback;
    }
}

// The driver holds its actions as locals, the optional one in a unique_ptr declared where
// it is made; an exception leaving the block undoes them newest first.
TEST_F(InstallActionTest, ScopedActionsUndoInExactReverseOrderWhenAnErrorLeavesTheBlock) {
    for (bool withOptional : {true, false}) {
        std::vector<int> undone;
        try {
            LoggingAction first(1, undone);
            LoggingAction second(2, undone);
            std::unique_ptr<LoggingAction> optional;
            if (withOptional) optional = std::make_unique<LoggingAction>(3, undone);
            LoggingAction fourth(4, undone);
            throw std::runtime_error("step failed");
        } catch (const std::runtime_error&) {
            // The undo has happened by the time the handler runs.
            EXPECT_EQ(undone, withOptional ? (std::vector<int>{4, 3, 2, 1}) : (std::vector<int>{4, 2, 1}));
        }
    }
}

TEST_F(InstallActionTest, CommittingEveryActionAfterTheLastStepUndoesNothing) {
    std::vector<int> undone;
    {
        LoggingAction first(1, undone);
        auto optional = std::make_unique<LoggingAction>(2, undone);
        first.Commit();
        optional->Commit();
    }
    EXPECT_TRUE(undone.empty());
}

// Nobody lists the actions: each one built while the journal lives is committed by it,
// one destroyed earlier is dropped from it, one built outside it is left alone.
TEST_F(InstallActionTest, TheJournalCommitsEveryActionBuiltWhileItLives) {
    std::vector<int> undone;
    {
        LoggingAction outside(9, undone);
        {
            ActionJournal journal;
            LoggingAction first(1, undone);
            { LoggingAction shortLived(2, undone); }
            auto optional = std::make_unique<LoggingAction>(3, undone);
            {
                ActionJournal inner;
                LoggingAction nested(4, undone);
                EXPECT_EQ(inner.Size(), 1u);
                inner.CommitAll();
            }
            LoggingAction last(5, undone);
            EXPECT_EQ(journal.Size(), 3u);
            journal.CommitAll();
            EXPECT_TRUE(first.IsCommitted() && optional->IsCommitted() && last.IsCommitted());
        }
        EXPECT_FALSE(outside.IsCommitted());
    }
    EXPECT_EQ(undone, (std::vector<int>{2, 9}));
}

}  // namespace

// The record is read back by a later run, possibly after a stop in the middle of a line.
TEST(RunRecordFormat, EntriesSurviveTheRoundTripAndACutOffLineIsNotRead) {
    const UndoEntry odd{UndoKind::Registration, {"a\\b", "tab\there", "line\nfeed\r", ""}};
    const UndoEntry plain{UndoKind::Files, {"C:\\Q\\x.exe", "C:\\Q\\y.dll"}};
    const std::string header = RunRecordHeader("Quarnelix", "ann");
    std::string text = header + FormatUndoEntry(odd) + FormatUndoEntry(plain);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);  // one line per entry, whatever it holds

    ParsedRunRecord read = ParseRunRecord(text + "keep\tC:\\Q\\half", "Quarnelix", "ann");
    ASSERT_TRUE(read.ours);
    EXPECT_FALSE(read.committed);
    EXPECT_EQ(read.entries, (std::vector<UndoEntry>{odd, plain}));
    EXPECT_EQ(read.entries[1].Field(5), "");  // fields a later version adds read as empty

    EXPECT_TRUE(ParseRunRecord(text + RunRecordCommitted + "\n", "Quarnelix", "ann").committed);
    // Another user's or another product's record is not this run's to undo.
    EXPECT_FALSE(ParseRunRecord(text, "Quarnelix", "bob").ours);
    EXPECT_FALSE(ParseRunRecord(text, "Dorvask", "ann").ours);
    EXPECT_TRUE(ParseRunRecord(text, "Dorvask", "ann").entries.empty());
    EXPECT_FALSE(ParseRunRecord(header.substr(0, header.size() - 1), "Quarnelix", "ann").ours);

    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(BytesFromHex(HexBytes({0, 0x7f, 0xff}), bytes));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 0x7f, 0xff}));
    EXPECT_FALSE(BytesFromHex("abc", bytes));
    EXPECT_FALSE(BytesFromHex("zz", bytes));
}
