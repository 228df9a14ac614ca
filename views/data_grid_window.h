#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;

namespace veranth::db {
class Session;
}
namespace veranth::engine {
class Recordset;
}

namespace veranth::views {

class BoundGrid;
class DataControl;
enum class Reorder;

// frmDataGrid: a whole recordset as a grid bound to a data control, with Refresh, Sort, Filter and
// Close, sorting by a click on a column header (descending with a key held), a question before a
// row is deleted or a changed row is written, and the data control's properties on a right-click.
class FrmDataGrid : public QWidget {
    Q_OBJECT
public:
    FrmDataGrid(db::Session& session, std::shared_ptr<engine::Recordset> recordset, QWidget* parent = nullptr);
    ~FrmDataGrid() override;

    std::shared_ptr<engine::Recordset> MrsFormRecordset() const;
    BoundGrid* GrdDataGrid() const { return grdDataGrid_; }
    DataControl* DatDataCtl() const { return datDataCtl_; }
    bool Loaded() const { return loaded_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Refresh();
    void Sort();
    void Filter();
    void Reordered(Reorder what, const QString& text);
    void HeadClick(int column);
    void OnMouseUp(Qt::MouseButton button);
    void ShowGridError(const std::exception& error);
    void CloseWindow();

    db::Session& session_;
    bool loaded_ = false;
    bool suspend_ = false;
    QString pendingSort_;
    Qt::KeyboardModifiers shiftState_;
    QWidget* picButtons_;
    QLabel* lblRowCount_;
    BoundGrid* grdDataGrid_;
    DataControl* datDataCtl_;
};

}  // namespace veranth::views
