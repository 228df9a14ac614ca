#pragma once

#include "platform/prompter.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace veranth::engine {
class Database;
class EngineError;
class Recordset;
class Workspace;
}  // namespace veranth::engine

namespace veranth::db {
class Session;
}

// The way every repair utility runs: its question, its input file, the busy state, one
// transaction around its body with progress, the fixed messages for failure, the counters written
// back before the commit, and the clean-up that runs on every path.
namespace veranth::repairs {

// How a run ended, for the menu (which shows nothing more) and the command line (its exit status).
struct UtilityResult {
    enum class Status {
        Done,        // the run finished and its changes were committed
        Declined,    // No at the question, or no input file: nothing was begun
        NothingToDo, // the run ended early with its own message and nothing changed
        Failed,      // an error: everything of the run was rolled back
    };
    Status status = Status::Done;
    int number = 0;       // the error, when Failed
    QString description;  // the error, when Failed

    static UtilityResult Ok() { return {}; }
    static UtilityResult DeclinedRun() { return {Status::Declined, 0, {}}; }
    static UtilityResult Failure(int number, const QString& description) { return {Status::Failed, number, description}; }
    bool failed() const { return status == Status::Failed; }
};

// Raised inside a body to end the run early: the transaction is rolled back and the message is
// shown (with the utility's title when `title` is empty). `failure` says whether the command line
// counts it as a failed run ("Branch ID could not be Found") or as nothing to do.
class RunEnded : public std::exception {
public:
    RunEnded(QString text, platform::MessageIcon icon, bool failure, QString title = QString(),
             int number = 0)
        : text_(std::move(text)), title_(std::move(title)), icon_(icon), failure_(failure), number_(number) {}
    const QString& text() const { return text_; }
    const QString& title() const { return title_; }
    platform::MessageIcon icon() const { return icon_; }
    bool failure() const { return failure_; }
    int number() const { return number_; }
    const char* what() const noexcept override { return "run ended"; }

private:
    QString text_, title_;
    platform::MessageIcon icon_;
    bool failure_;
    int number_;
};

// Counter IDs that the utilities hand out serials from.
namespace counter_id {
inline constexpr int kPolicyPremiums = 11;
inline constexpr int kPensionSchemes = 36;
inline constexpr int kCashEntries = 46;
inline constexpr int kThirdPartyReferences = 130;
}  // namespace counter_id

// ---- The conventions of the Corvane keys -------------------------------------------------------

// `ReadBranchID`: the database ID of SystemOptions' first row. RunEnded("Branch ID could not be
// Found") when the table has no row.
std::int32_t ReadBranchID(engine::Database& db);
// `ReadCounter`: the CounterValue of the counter. RunEnded("Counter Table could not be opened") when
// there is no such counter; an empty value is 0 when `emptyIsZero`, otherwise error 94.
std::int32_t ReadCounter(engine::Database& db, int counterId, bool emptyIsZero = false);
// `MakeReference`: database ID x 1000000 + serial in signed 32-bit arithmetic; error 6 (Overflow)
// when it does not fit.
std::int32_t MakeReference(std::int32_t databaseId, std::int32_t serial);
// `SaveCounter`: writes the counter's value, inside the caller's transaction.
void SaveCounter(engine::Database& db, int counterId, std::int32_t value);

// The workspace whose transaction covers the current database: the session's, else the engine's
// default one.
engine::Workspace& UtilityWorkspace(db::Session& session);

// ---- Scopes that restore what they change, on every path ---------------------------------------

// The busy state of a run: hourglass, a status text, the main window disabled (when asked). The
// destructor puts the pointer back, shows "Ready", hides the progress and enables the window.
class BusyScope {
public:
    BusyScope(db::Session& session, const QString& statusText, bool disableMainWindow = true);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    db::Session& session_;
    bool disabled_;
};

// One transaction on a workspace: begun by the constructor, rolled back by the destructor unless
// committed. Begin and commit failures raise the engine's error.
class TransactionScope {
public:
    explicit TransactionScope(engine::Workspace& workspace);
    ~TransactionScope();
    TransactionScope(const TransactionScope&) = delete;
    TransactionScope& operator=(const TransactionScope&) = delete;

    void Commit();
    // Rolls back now; errors of the rollback itself are not raised.
    void Rollback() noexcept;
    bool Open() const { return open_; }

private:
    engine::Workspace& workspace_;
    bool open_ = false;
};

// ---- The frame -------------------------------------------------------------------------------

struct FrameOptions {
    // The utility's title, used in its messages and after "Failed to start transaction for ".
    QString title;
    // Panel 1 while the run is busy.
    QString busyText = QStringLiteral("Processing Records...");
    bool disableMainWindow = true;
    // The message for an error of the body, after the rollback. Unset: "Failed to Update Records "
    // + number + " - " + description, warning icon, the utility's title.
    std::function<platform::MessageRequest(int number, const QString& description)> failureMessage;
};

// Serials handed out from memory during a run and written back once before the commit.
class BatchSerials {
public:
    BatchSerials(int counterId, std::int32_t stored) : counterId_(counterId), value_(stored) {}
    // The next serial: the stored value + 1 for the first call. Overflow is error 6.
    std::int32_t Next();
    std::int32_t Value() const { return value_; }
    int CounterId() const { return counterId_; }

private:
    int counterId_;
    std::int32_t value_;
};

// What a body works with. Recordsets it opens through here are closed at the clean-up.
class UtilityRun {
public:
    UtilityRun(db::Session& session, const FrameOptions& options);

    db::Session& Session() const { return session_; }
    engine::Database& Database() const;
    const FrameOptions& Options() const { return options_; }

    // "Processing Record i of n" in panel 1 and the progress bar, then a yield.
    void Progress(std::int64_t i, std::int64_t n);
    void Yield();

    std::shared_ptr<engine::Recordset> Snapshot(const QString& sql);
    std::shared_ptr<engine::Recordset> ForwardOnly(const QString& sql);
    std::shared_ptr<engine::Recordset> Dynaset(const QString& sql);
    void Execute(const QString& sql, int options = 0);

    // The database ID, read once per run.
    std::int32_t BranchID();
    // Batch style: the counter is read the first time it is asked for; the frame writes the final
    // value back before the commit.
    BatchSerials& Batch(int counterId);
    // Per-row style: read, add 1, write back at once.
    std::int32_t NextSerial(int counterId);

    // Frame side.
    void SaveBatches();
    void CloseRecordsets() noexcept;

private:
    std::shared_ptr<engine::Recordset> Track(std::shared_ptr<engine::Recordset> rs);

    db::Session& session_;
    const FrameOptions& options_;
    std::vector<std::shared_ptr<engine::Recordset>> recordsets_;
    std::map<int, BatchSerials> batches_;
    std::optional<std::int32_t> branchId_;
};

// Step 1: the Yes/No question with the question icon and the utility's title. True for Yes.
bool AskToProceed(db::Session& session, const QString& question, const QString& title);

// Step 2: the common file dialog as an Open dialog, read-only box hidden. nullopt when no file.
std::optional<QString> AskInputFile(db::Session& session, const QString& filter, const QString& dialogTitle);

// Steps 3 to 9 around `body`. The body raises to fail (EngineError, or any exception) or RunEnded
// to end early; either way nothing of the run survives.
UtilityResult RunUtility(db::Session& session, const FrameOptions& options, const std::function<void(UtilityRun&)>& body);

// The number and text a failure is reported with: an EngineError's own, anything else as the
// language's application-defined error.
std::pair<int, QString> ErrorOf(const std::exception& error);

}  // namespace veranth::repairs
