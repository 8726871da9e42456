#pragma once

// Shows a picture on a widget of its size by decoding it for each paint and
// letting it go after: for a large picture that is drawn seldom, such as a
// page that shows only until the receiver is found, the decoded pixels
// (3.3 MB for the window's size) need not stay in memory.

class QString;
class QWidget;

namespace PictureWhenDrawn {

void paintOnto(QWidget *widget, const QString &file);

} // namespace PictureWhenDrawn
