#pragma once

class QLineEdit;
class QWidget;

namespace veranth::platform {

// `CenterForm`: a window in its normal state moves to the centre of its screen; a minimised or
// maximised one is left alone.
void CenterForm(QWidget* form);

// `SelectAllText`: selects the whole text of the box, or removes the selection.
void SelectAllText(QLineEdit* box, bool selectAll);

// Twips to pixels on the widget's screen, for sizes given in twips.
int TwipsToPixels(const QWidget* widget, double twips);
double PixelsToTwips(const QWidget* widget, int pixels);

}  // namespace veranth::platform
