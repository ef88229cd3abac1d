#pragma once
// Error boxes of the catalogue connection shown through the modal seam.

#include "CatalogueSession.h"
#include "ui/ModalSeam.h"

#include <QPointer>
#include <QWidget>

class ModalErrorBoxes : public ErrorBoxes {
public:
    explicit ModalErrorBoxes(QWidget *parent = nullptr) : m_parent(parent) {}
    void showError(const QString &caption, const QString &text) override
    {
        // Boxes without a caption of their own get the usual one.
        modal::error(m_parent, caption.isEmpty() ? QStringLiteral("Error") : caption, text);
    }

private:
    QPointer<QWidget> m_parent;
};
