// Keeps child controls at their designed distances from the window edges they are anchored
// to, as a form does on resize: anchored left and right a control stretches, anchored right
// only it moves; the same for top and bottom.
#pragma once

#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

namespace qrp {

enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

class TAnchorLayout {
public:
    // designedClient: the client size the coordinates were designed for.
    explicit TAnchorLayout(QSize designedClient) : FDesigned(designedClient) {}

    // Places the control at its designed rectangle and remembers its anchors.
    void Place(QWidget* control, QRect designed, unsigned anchors = akLeft | akTop);
    // Moves and sizes every control for a new client size.
    void Apply(QSize client) const;
    // The rectangle a control takes at a client size.
    QRect Arrange(QRect designed, unsigned anchors, QSize client) const;

private:
    struct Item {
        QWidget* Control;
        QRect Designed;
        unsigned Anchors;
    };
    QSize FDesigned;
    std::vector<Item> FItems;
};

}  // namespace qrp
