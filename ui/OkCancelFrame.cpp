#include "ui/OkCancelFrame.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

T_frmOkCancel::T_frmOkCancel(QDialog *dialog)
    : QWidget(dialog)
{
    setObjectName("_frmOkCancel");
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addStretch(1);
    m_ok = new QPushButton(tr("OK"), this);
    m_ok->setObjectName("OK_Button");
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName("Cancel_Button");
    // Enter on a focused Cancel cancels; elsewhere Enter is OK.
    m_cancel->setAutoDefault(true);
    layout->addWidget(m_ok);
    layout->addWidget(m_cancel);
    connect(m_ok, &QPushButton::clicked, dialog, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}
