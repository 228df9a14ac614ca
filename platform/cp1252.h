#pragma once

#include <QByteArray>
#include <QString>

namespace veranth::platform {

// Windows-1252, the single-byte code page of the text files Corvane exchanges. The five bytes the
// code page leaves undefined decode to the C1 control of the same value, so any byte string
// survives a round trip.
QString DecodeCp1252(const QByteArray& bytes);

// Characters the code page cannot hold become '?'; `lossless` (when given) says whether any did.
QByteArray EncodeCp1252(const QString& text, bool* lossless = nullptr);

}  // namespace veranth::platform
