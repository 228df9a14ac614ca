#pragma once

#include "platform/widgets/centered_dialog.h"
#include "repairs/database_id.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace veranth::db {
class Session;
}

namespace veranth::repairs {

// mdl_DBID: the database ID box and its warnings. OK runs the change or the conversion of its
// mode; Cancel asks a running conversion to stop and closes the window once it has.
class MdlDBID : public platform::CenteredDialog {
    Q_OBJECT
public:
    MdlDBID(db::Session& session, DatabaseIdMode mode, AbortRequest& abort, QWidget* parent = nullptr);

    DatabaseIdMode DBType() const { return mode_; }
    std::int32_t CurrentDatabaseId() const { return currentId_; }
    // What the last OK did; Declined until it has run.
    const UtilityResult& Result() const { return result_; }

private:
    void Ok();
    void Cancel();

    db::Session& session_;
    DatabaseIdMode mode_;
    AbortRequest& abort_;
    std::int32_t currentId_ = 0;
    QLineEdit* txtDbId_;
    QPushButton* command1_;
    QPushButton* command2_;
    bool running_ = false;
    UtilityResult result_ = UtilityResult::DeclinedRun();
};

}  // namespace veranth::repairs
