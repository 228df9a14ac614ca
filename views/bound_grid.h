#pragma once

#include "views/data_control.h"

#include <QTableView>

namespace veranth::views {

class LazyGridModel;

// The grid bound to a data control: shows every row of the control's recordset through a lazily
// reading model, follows the control's current row and moves it when the user picks another row.
// Edits typed into a row wait until the row is left, where the control's Validate decides.
class BoundGrid : public QTableView, public RowEditor {
    Q_OBJECT
public:
    explicit BoundGrid(QWidget* parent = nullptr);
    ~BoundGrid() override;

    // Rows and columns come from this control's recordset from now on.
    void SetDataSource(DataControl* control);
    DataControl* DataSource() const { return control_; }
    LazyGridModel* Model() const { return model_; }

    // Rebuilds the columns from the control's current recordset.
    void ReBind();
    // The text of a column in the current row.
    QString ColumnText(int column);
    int CurrentRow() const;
    // The known row count as the user sees it: "1200+" while counting.
    QString RowCountText() const;

    // RowEditor
    bool RowEdited() const override;
    void SaveRow() override;
    void DropRow() override;

Q_SIGNALS:
    // A click on a column header, with the keys held then.
    void HeadClick(int column);
    // Every mouse-button press or release on the grid or its headers.
    void MouseEvent(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // Before the current row is deleted; set *cancel to keep it.
    void BeforeDelete(bool* cancel);
    void AfterDelete();
    // The current row changed (from `previousRow`).
    void RowColChange(int previousRow);
    void DblClick();
    void CountChanged(const QString& rowCountText);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FollowControl();
    void TellVisibleRows();
    void DeleteCurrentRow();
    void GoToLastRow();

    DataControl* control_ = nullptr;
    LazyGridModel* model_;
    bool syncing_ = false;
    bool lastRowWanted_ = false;
};

}  // namespace veranth::views
