// How every disk-service worker begins and ends: its own volume on the drive, the device closed
// and m_bRunning cleared last, m_nState -1 for "nothing to show" or the balance stored.
#pragma once

#include "fs/volume.h"
#include "maintenance/diskservice/service_texts.h"
#include "ports/user_port.h"
#include "ports/worker_dialog_port.h"

namespace orv {

class ServiceRun {
public:
    ServiceRun(CDrive* drive, IWorkerDialog& dialog, IUserPort& user)
        : m_volume(drive), m_dialog(dialog), m_user(user) {}
    ~ServiceRun() {
        m_volume.CloseDevice();
        m_dialog.m_bRunning = 0;  // last: the dialog's tick may run the finishing step now
    }
    ServiceRun(const ServiceRun&) = delete;
    ServiceRun& operator=(const ServiceRun&) = delete;

    // False (message shown, nothing to show) when the device cannot be opened, or another
    // program has the diskette. Held for this program until the run ends.
    bool Open() {
        if (!m_volume.OpenDevice()) {
            Notify(m_user, service_text::kCannotOpen, Icon::Stop);
            EndWithNothing();
            return false;
        }
        m_lock = DriveLock(*m_volume.Device().Drive());
        if (m_lock.Held()) return true;
        Notify(m_user, m_lock.Error(), Icon::Stop);
        EndWithNothing();
        return false;
    }
    // The run leaves nothing for the results dialog. outcome: 0 it did what it was asked
    // (sector 0 repaired), -1 it failed, was refused or interrupted.
    int EndWithNothing(int outcome = -1) {
        m_dialog.m_nState = -1;
        return outcome;
    }
    int EndWithResults() {
        WorkerResults& r = m_dialog.m_results;
        r.badBytes = m_volume.BadBytes();
        r.systemBytes = m_volume.SystemBytes();
        r.freeBytes = m_volume.FreeBytes();
        r.label = m_volume.Ids().label;
        m_dialog.SetProgress(100);
        return 0;
    }
    int Notice(const std::string& text, Icon icon) {
        Notify(m_user, text, icon);
        return EndWithNothing();
    }
    // Yes/No with the question icon.
    bool Confirm(const char* text, Answer defaultButton = Answer::None) {
        return Ask(m_user, text, Buttons::YesNo, Icon::Question, defaultButton) == Answer::Yes;
    }
    bool StopRequested() const { return m_dialog.m_nState == -1; }

    CVolume& Volume() { return m_volume; }
    IWorkerDialog& Dialog() { return m_dialog; }
    IUserPort& User() { return m_user; }

private:
    CVolume m_volume;
    DriveLock m_lock;
    IWorkerDialog& m_dialog;
    IUserPort& m_user;
};

}  // namespace orv
