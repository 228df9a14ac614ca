#pragma once

#include "views/dyna_snap.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace veranth::db {
class Session;
}

namespace veranth::views {

class FrmFindForm;

// frmDynaSnap: a dynaset, snapshot or query result one record at a time, as a column of field
// name labels lblFieldName(i) and value boxes txtFieldData(i), with the row slider hsclCurrRow.
// It owns its recordset and closes it when it unloads.
class FrmDynaSnap : public QWidget, private DynaSnapView {
    Q_OBJECT
public:
    FrmDynaSnap(db::Session& session, std::shared_ptr<engine::Recordset> recordset, QWidget* parent = nullptr);
    ~FrmDynaSnap() override;

    // `mrsFormRecordset`: the recordset shown now (Sort and Filter replace it).
    std::shared_ptr<engine::Recordset> MrsFormRecordset() const { return form_.RecordsetPtr(); }
    DynaSnapForm& Form() { return form_; }
    // False when Load failed; the window then closes itself.
    bool Loaded() const { return loaded_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // DynaSnapView
    void SetStatusText(const QString& text) override;
    QString FieldText(int index) const override;
    void SetFieldText(int index, const QString& text) override;
    void SetSliderScale(const SliderScale& scale) override;
    void ShowSliderValue(int value) override;
    void SetChanging(bool changing) override;
    void FocusFirstBox() override;
    void FocusSlider() override;
    void FillFindFields(const QStringList& names) override;
    FindRequest ShowFindDialog() override;
    QString ShowZoom(const ZoomRequest& request) override;
    void Unload() override;
    void SetCounting(bool counting) override;

    void BuildControls();
    void BuildFieldPairs();
    void LayOut();
    void ScrollFields(int offsetTwips);
    void CloseWindow();
    int Px(double twips) const;
    double Tw(int pixels) const;

    db::Session& session_;
    DynaSnapForm form_;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool placed_ = false;
    bool closeRequested_ = false;
    QWidget* picViewButtons_ = nullptr;
    QWidget* picChangeButtons_ = nullptr;
    QWidget* picFldHdr_ = nullptr;
    QLabel* lblFieldValue_ = nullptr;
    QWidget* fieldArea_ = nullptr;
    QWidget* picFields_ = nullptr;
    QScrollBar* vsbScrollBar_ = nullptr;
    QWidget* picMoveButtons_ = nullptr;
    QScrollBar* hsclCurrRow_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    std::vector<QLabel*> lblFieldName_;
    std::vector<QLineEdit*> txtFieldData_;
    std::vector<engine::FieldType> fieldTypes_;
    QPointer<FrmFindForm> findForm_;
};

}  // namespace veranth::views
