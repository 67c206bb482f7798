#pragma once

#include "ServiceLink.h"

#include <QString>
#include <QStringList>

// A window's hold on the service's schedule: no scheduled processing starts
// while any window of any program holds it, and the schedule runs again when
// the last one leaves, if it ran when they came.
//
// The holders meet in the hold file "<configuration>.hold" beside the
// configuration, opened as the lock files are (never through a link, only a
// regular file, 0660). Its lock bytes, all open-file-description locks
// (F_OFD_*) on a descriptor kept open while they are held, so that the kernel
// drops them however a program ends:
//  - byte 0, the guard: taken exclusively for the moment in which a holder
//    comes or goes, so that two programs never both count themselves first
//    or last. Waiting for it is bounded (GuardWaitMs, long enough for the two
//    service calls its taker may make) and keeps a window answering
//    (LockWait); a holder that cannot have it goes on without it, a recovery
//    gives up until the next link.
//  - bytes 1..MaxHolders, the slots: each holder locks the first free one
//    exclusively. The live holders are the locked slots, as F_OFD_GETLK
//    reports them; through the holder's own descriptor its own slot does not
//    show, which is how a holder counts the others.
// The file's text is the record: "active" or "suspended", whether the
// schedule ran when the holders came (active when it ran for any of them),
// empty when nobody holds. Every holder that comes asks for the state, adds
// it to the record and suspends: the first one thus suspends a running
// schedule, and a later one also holds a schedule that somebody resumed
// meanwhile. The last holder to leave resumes an active schedule and clears
// the record. A record with no live holder was left by a program that ended
// while it held; recoverAbandoned() settles it.
//
// A window of a program that is not linked holds nothing: it cannot suspend.
class TScheduleHold
{
public:
    static constexpr int MaxHolders = 256;
    static constexpr int GuardWaitMs = 2 * TServiceLink::CallTimeoutMs + 1000;

    TScheduleHold(TServiceLink& link, const QString& configPath);
    // Drops the slot without a word to the service, as a program that ends
    // does; the record stays for the others or for the next recovery.
    ~TScheduleHold();
    TScheduleHold(const TScheduleHold&) = delete;
    TScheduleHold& operator=(const TScheduleHold&) = delete;

    // Takes a slot; asks the service for its state, records it, and suspends
    // the schedule. Raises EServiceError when the service fails and
    // EWriteError when the hold file cannot be used; nothing is held then.
    void take();
    // Gives the slot up; the last holder resumes the schedule when the record
    // says it ran. Raises EServiceError when the resume fails; the slot is
    // gone all the same and the record stays for the next recovery.
    void release();
    bool isHeld() const { return m_fd >= 0; }

    static QString holdPath(const QString& configPath);
    // The live holders of every program.
    static int holderCount(const QString& configPath);
    // Who they are: "user@host (program, process N)" each, as each holder
    // wrote it beside the hold file ("<hold file>.d/<slot>"); "?" for one
    // whose name is missing.
    static QStringList holderNames(const QString& configPath);
    // With no live holder: resumes a suspended schedule that the record says
    // ran, and clears the record. A suspension without a record is left
    // alone: somebody suspended it on purpose. Returns whether it resumed;
    // a failing service is logged, not raised.
    static bool recoverAbandoned(TServiceLink& link, const QString& configPath);

private:
    TServiceLink& m_link;
    QString m_path;
    int m_fd = -1;
    int m_slot = 0;
};
