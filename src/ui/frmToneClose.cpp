// The close request, refused while a sequence plays; ending a play before its end, and closing
// the window from outside.
#include "Messages.h"
#include "PlaybackCycle.h"
#include "RadioSend.h"
#include "frmTone.h"
#include "modTone.h"

#include <QApplication>
#include <QCloseEvent>

namespace
{

const std::string kQuorvelTitle = "Quorvel";

} // namespace

void frmTone::stopPlay()
{
    // The cycle ends its wait, releases the device and clears Playing; the Send that waited
    // then shows the time played so far in the caption. A keyed send also ends its wait for
    // the line, its lead or its tail, and releases the line.
    if (m_radioSend)
        m_radioSend->stop();
    m_cycle.requestStop();
}

bool frmTone::sending() const
{
    return m_radioSend && m_radioSend->busy();
}

void frmTone::closeFromOutside()
{
    m_closeRequested = true;
    // A message box open over the window (the close refusal, a device report) would keep
    // its handler, and so the close, waiting for a person who may be gone.
    if (QWidget* box = QApplication::activeModalWidget())
        box->close();
    if (m_module.Playing || sending()) {
        // The Send that runs the play closes the window once its cycle has returned.
        stopPlay();
        return;
    }
    closeIfRequested();
}

void frmTone::closeIfRequested()
{
    if (m_closeRequested && !m_module.Playing && !sending()) {
        m_closeRequested = false;
        close();
    }
}

bool frmTone::Form_QueryUnload()
{
    if (!m_module.Playing && !sending())
        return false;
    m_messages.show("Please wait end of sound before closing application.", kQuorvelTitle,
                    Messages::Icon::Information);
    return true;
}

void frmTone::closeEvent(QCloseEvent* event)
{
    if (Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}
