// A picture control that draws an SVG resource at its natural size from the top-left
// corner, sharp at any device pixel ratio.
#pragma once

#include <QSvgRenderer>
#include <QWidget>

namespace qrp {

class TSvgPicture : public QWidget {
    Q_OBJECT
public:
    TSvgPicture(const QString& resource, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer FRenderer;
};

}  // namespace qrp
