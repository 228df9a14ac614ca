#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veranth::db {
class Session;
}
namespace veranth::engine {
class Recordset;
}

namespace veranth::views {

class FrmSeek;
enum class TableMove;

// frmTableObj: a table-type recordset one record at a time, with the current index chosen from
// cboIndexes, Seek on it, and first / previous / next / last buttons and keys.
class FrmTableObj : public QWidget {
    Q_OBJECT
public:
    FrmTableObj(db::Session& session, std::shared_ptr<engine::Recordset> recordset, QWidget* parent = nullptr);
    ~FrmTableObj() override;

    std::shared_ptr<engine::Recordset> MrsFormRecordset() const { return recordset_; }
    bool Loaded() const { return loaded_; }
    FrmSeek* SeekDialog() const { return seek_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Display();
    void IndexChosen();
    void Navigate(TableMove move);
    void Seek();
    void Filter();
    void Add();
    void Edit();
    void Update();
    void Cancel();
    void Delete();
    void SetChanging(bool changing);
    void WriteBox(int i);
    void CloseWindow();

    db::Session& session_;
    std::shared_ptr<engine::Recordset> recordset_;
    QString tableName_;
    bool loaded_ = false;
    bool editing_ = false, adding_ = false;
    int changedBox_ = -1;
    qint64 rows_ = 0;
    QByteArray bookmark_;
    QWidget *picViewButtons_, *picChangeButtons_;
    QComboBox* cboIndexes_;
    QLabel* lblStatus_;
    std::vector<QPushButton*> navigation_;
    std::vector<QLineEdit*> boxes_;
    FrmSeek* seek_;
};

}  // namespace veranth::views
