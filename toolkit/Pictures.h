#pragma once
// The windows' pictures: JPEG logos and button pictures decoded with libjpeg,
// and the one bitmap logo. A picture that cannot be decoded is an error with
// a text, never a crash.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace tk {

// Throws tk::Exception with libjpeg's reason when the data is no decodable JPEG.
QImage DecodeJpeg(const QByteArray& data);

// Loads a picture by path (a Qt resource path or a file); JPEG through
// libjpeg, anything else through Qt. transparent: the magenta background
// of a button picture is keyed out. Throws tk::Exception on failure.
QImage LoadPicture(const QString& path, bool transparent = false);

// Pixels close to pure magenta become transparent (JPEG blurs the key a little).
QImage KeyOutMagenta(const QImage& picture);

} // namespace tk
