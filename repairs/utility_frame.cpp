#include "repairs/utility_frame.h"

#include "db/session.h"
#include "db/status.h"
#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/recordset.h"
#include "engine/workspace.h"

#include <limits>

namespace veranth::repairs {

namespace {

using platform::MessageButtons;
using platform::MessageIcon;

// A failure with no number of its own is the language's "application-defined or object-defined
// error".
constexpr int kApplicationDefinedError = 1004;
constexpr int kObjectNotSet = 91;

std::shared_ptr<engine::Recordset> Open(engine::Database& db, const QString& sql, engine::RecordsetType type) {
    return db.openRecordset(sql, type);
}

void Say(db::Session& session, const QString& text, const QString& title, MessageIcon icon) {
    session.Prompter().Message({text, title, MessageButtons::Ok, icon, 1});
}

platform::MessageRequest StandardFailure(const FrameOptions& options, int number, const QString& description) {
    return {QStringLiteral("Failed to Update Records ") + QString::number(number) + QStringLiteral(" - ") + description,
            options.title, MessageButtons::Ok, MessageIcon::Exclamation, 1};
}

}  // namespace

// ---- Keys and counters -------------------------------------------------------------------------

std::int32_t ReadBranchID(engine::Database& db) {
    auto rs = Open(db, QStringLiteral("SELECT BranchID FROM SystemOptions"), engine::RecordsetType::ForwardOnly);
    if (rs->eof()) {
        rs->close();
        throw RunEnded(QStringLiteral("Branch ID could not be Found"), MessageIcon::Exclamation, true);
    }
    const std::int32_t id = engine::toLong(rs->field(0)->value());
    rs->close();
    return id;
}

std::int32_t ReadCounter(engine::Database& db, int counterId, bool emptyIsZero) {
    auto rs = Open(db, QStringLiteral("SELECT CounterValue FROM NewCounters WHERE CounterID = ") + QString::number(counterId),
                   engine::RecordsetType::ForwardOnly);
    if (rs->eof()) {
        rs->close();
        throw RunEnded(QStringLiteral("Counter Table could not be opened"), MessageIcon::Exclamation, true);
    }
    const engine::Value value = rs->field(0)->value();
    rs->close();
    if (value.isMissing() && emptyIsZero) return 0;
    return engine::toLong(value);
}

std::int32_t MakeReference(std::int32_t databaseId, std::int32_t serial) {
    const std::int64_t reference = static_cast<std::int64_t>(databaseId) * 1000000 + serial;
    if (reference < std::numeric_limits<std::int32_t>::min() || reference > std::numeric_limits<std::int32_t>::max())
        throw engine::EngineError(engine::err::kOverflow, QString::number(reference));
    return static_cast<std::int32_t>(reference);
}

void SaveCounter(engine::Database& db, int counterId, std::int32_t value) {
    db.execute(QStringLiteral("UPDATE NewCounters SET CounterValue = ") + QString::number(value) +
               QStringLiteral(" WHERE CounterID = ") + QString::number(counterId));
}

engine::Workspace& UtilityWorkspace(db::Session& session) {
    if (session.workspace) return *session.workspace;
    return *session.Engine().defaultWorkspace();
}

std::int32_t BatchSerials::Next() {
    if (value_ == std::numeric_limits<std::int32_t>::max())
        throw engine::EngineError(engine::err::kOverflow, QString::number(static_cast<std::int64_t>(value_) + 1));
    return ++value_;
}

// ---- Scopes ------------------------------------------------------------------------------------

BusyScope::BusyScope(db::Session& session, const QString& statusText, bool disableMainWindow)
    : session_(session), disabled_(disableMainWindow) {
    session_.Status().SetBusy(true);
    db::ShowStatus(session_, statusText);
    if (disabled_) session_.Windows().SetMainWindowEnabled(false);
}

BusyScope::~BusyScope() {
    session_.Status().SetProgress(0, 0);
    db::ShowStatus(session_, QString());
    session_.Status().SetBusy(false);
    if (disabled_) session_.Windows().SetMainWindowEnabled(true);
}

TransactionScope::TransactionScope(engine::Workspace& workspace) : workspace_(workspace) {
    workspace_.beginTrans();
    open_ = true;
}

TransactionScope::~TransactionScope() { Rollback(); }

void TransactionScope::Commit() {
    workspace_.commitTrans();
    open_ = false;
}

void TransactionScope::Rollback() noexcept {
    if (!open_) return;
    open_ = false;
    try {
        workspace_.rollback();
    } catch (...) {
        // Nothing more can be done for a level the engine will not roll back.
    }
}

// ---- The run -----------------------------------------------------------------------------------

UtilityRun::UtilityRun(db::Session& session, const FrameOptions& options) : session_(session), options_(options) {}

engine::Database& UtilityRun::Database() const {
    if (!session_.database)
        throw engine::EngineError::withDescription(kObjectNotSet, QStringLiteral("No database is open."));
    return *session_.database;
}

void UtilityRun::Progress(std::int64_t i, std::int64_t n) {
    db::ShowStatus(session_, QStringLiteral("Processing Record ") + QString::number(i) + QStringLiteral(" of ") + QString::number(n));
    session_.Status().SetProgress(i, n);
    Yield();
}

void UtilityRun::Yield() { session_.Yield()(); }

std::shared_ptr<engine::Recordset> UtilityRun::Track(std::shared_ptr<engine::Recordset> rs) {
    // Closed sets are dropped now and then so a long loop does not keep every one it opened.
    if (recordsets_.size() >= 64) std::erase_if(recordsets_, [](const auto& r) { return !r->isOpen(); });
    recordsets_.push_back(rs);
    return rs;
}

std::shared_ptr<engine::Recordset> UtilityRun::Snapshot(const QString& sql) {
    return Track(Open(Database(), sql, engine::RecordsetType::Snapshot));
}
std::shared_ptr<engine::Recordset> UtilityRun::ForwardOnly(const QString& sql) {
    return Track(Open(Database(), sql, engine::RecordsetType::ForwardOnly));
}
std::shared_ptr<engine::Recordset> UtilityRun::Dynaset(const QString& sql) {
    return Track(Open(Database(), sql, engine::RecordsetType::Dynaset));
}

void UtilityRun::Execute(const QString& sql, int options) { Database().execute(sql, options); }

std::int32_t UtilityRun::BranchID() {
    if (!branchId_) branchId_ = ReadBranchID(Database());
    return *branchId_;
}

BatchSerials& UtilityRun::Batch(int counterId) {
    auto it = batches_.find(counterId);
    if (it == batches_.end()) it = batches_.emplace(counterId, BatchSerials(counterId, ReadCounter(Database(), counterId))).first;
    return it->second;
}

std::int32_t UtilityRun::NextSerial(int counterId) {
    BatchSerials serial(counterId, ReadCounter(Database(), counterId));
    const std::int32_t next = serial.Next();
    SaveCounter(Database(), counterId, next);
    return next;
}

void UtilityRun::SaveBatches() {
    for (const auto& [id, batch] : batches_) SaveCounter(Database(), id, batch.Value());
}

void UtilityRun::CloseRecordsets() noexcept {
    for (const auto& rs : recordsets_) {
        try {
            if (rs->isOpen()) rs->close();
        } catch (...) {
        }
    }
    recordsets_.clear();
}

std::pair<int, QString> ErrorOf(const std::exception& error) {
    if (const auto* e = dynamic_cast<const engine::EngineError*>(&error)) return {e->number(), e->description()};
    return {kApplicationDefinedError, QString::fromUtf8(error.what())};
}

bool AskToProceed(db::Session& session, const QString& question, const QString& title) {
    return session.Prompter().Ask(question, title) == platform::MessageResult::Yes;
}

std::optional<QString> AskInputFile(db::Session& session, const QString& filter, const QString& dialogTitle) {
    platform::FileDialogRequest request;
    request.mode = platform::FileDialogRequest::Mode::Open;
    request.title = dialogTitle;
    request.filter = filter;
    request.filterIndex = 1;
    request.flags = platform::FileDialogFlags::HideReadOnly;
    const platform::FileDialogResult result = session.Prompter().FileDialog(request);
    if (!result.accepted || result.fileName.isEmpty()) return std::nullopt;
    return result.fileName;
}

UtilityResult RunUtility(db::Session& session, const FrameOptions& options, const std::function<void(UtilityRun&)>& body) {
    const BusyScope busy(session, options.busyText, options.disableMainWindow);
    UtilityRun run(session, options);
    std::optional<TransactionScope> transaction;
    try {
        transaction.emplace(UtilityWorkspace(session));
    } catch (const std::exception& e) {
        Say(session, QStringLiteral("Failed to start transaction for ") + options.title, QStringLiteral("Veranth"), MessageIcon::None);
        const auto [number, description] = ErrorOf(e);
        return UtilityResult::Failure(number, description);
    }

    // Every message below is shown after the rollback, so nothing of the run is pending behind it.
    try {
        body(run);
        run.SaveBatches();
        run.CloseRecordsets();
    } catch (const RunEnded& ended) {
        run.CloseRecordsets();
        transaction->Rollback();
        Say(session, ended.text(), ended.title().isEmpty() ? options.title : ended.title(), ended.icon());
        if (ended.failure()) return UtilityResult::Failure(ended.number() ? ended.number() : engine::err::kNoCurrentRecord, ended.text());
        return {UtilityResult::Status::NothingToDo, 0, ended.text()};
    } catch (const std::exception& e) {
        run.CloseRecordsets();
        transaction->Rollback();
        const auto [number, description] = ErrorOf(e);
        session.Prompter().Message(options.failureMessage ? options.failureMessage(number, description)
                                                          : StandardFailure(options, number, description));
        return UtilityResult::Failure(number, description);
    }

    try {
        transaction->Commit();
    } catch (const std::exception& e) {
        // A level the engine would not commit is not left open behind the run.
        transaction->Rollback();
        Say(session, QStringLiteral("Failed to commit transaction for ") + options.title, QStringLiteral("Veranth"), MessageIcon::None);
        const auto [number, description] = ErrorOf(e);
        return UtilityResult::Failure(number, description);
    }
    return UtilityResult::Ok();
}

}  // namespace veranth::repairs
