#pragma once

#include <QByteArray>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QScrollBar;

namespace veranth::db {
class Session;
}
namespace veranth::engine {
class Recordset;
}

namespace veranth::views {

class DataControl;

// frmDataControl: a recordset one record at a time through the data control datDataCtl, one bound
// control per field (a text box, a check box for Boolean, a picture or OLE box for Long Binary).
// A right-click on the data control opens frmDataCtlProp. The window owns its recordset.
class FrmDataControl : public QWidget {
    Q_OBJECT
public:
    FrmDataControl(db::Session& session, std::shared_ptr<engine::Recordset> recordset, bool parameterized = false,
                   QWidget* parent = nullptr);
    ~FrmDataControl() override;

    // `mrsFormRecordset`: the data control's recordset.
    std::shared_ptr<engine::Recordset> MrsFormRecordset() const;
    bool MbIsParameterized() const { return parameterized_; }
    DataControl* DatDataCtl() const { return datDataCtl_; }
    bool Loaded() const { return loaded_; }
    // The bound control of field i, whatever its kind.
    QWidget* BoundControl(int field) const;
    int RowCount() const { return static_cast<int>(rows_); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load(std::shared_ptr<engine::Recordset> recordset);
    void BuildBoundControls();
    void ClearBoundControls();
    void UpdateCaption();
    void LayOut();
    void ScrollFields(int value);
    void FocusFirst();
    void ShowWindowError(const std::exception& error);

    void OnReposition();
    void OnValidate(int action, bool* save);
    void OnError(int dataError, const QString& description, int* response);
    void OnMouseUp(Qt::MouseButton button);
    void Add();
    void CancelAdd();
    void Update();
    void Delete();
    void Find();
    void Refresh();
    void LoadPicture(QWidget* picture);

    int Px(double twips) const;

    db::Session& session_;
    bool parameterized_;
    bool loaded_ = false;
    bool closing_ = false;
    bool suspend_ = false;
    bool cancellingAdd_ = false;
    bool resizing_ = false;
    qint64 rows_ = 0;
    int fieldAreaTop_ = 0;
    QByteArray addBookmark_;
    DataControl* datDataCtl_;
    QWidget* picButtons_;
    QPushButton *cmdAdd_, *cmdCancelAdd_, *cmdUpdate_, *cmdDelete_, *cmdFind_, *cmdRefresh_, *cmdClose_;
    QLabel* lblFieldValue_;
    QWidget* fieldArea_;
    QWidget* picFields_;
    QScrollBar* vsbScrollBar_;
    std::vector<QPointer<QLabel>> labels_;
    std::vector<QPointer<QWidget>> controls_;
};

}  // namespace veranth::views
