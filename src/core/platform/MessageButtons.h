#pragma once

#include <QString>
#include <QVector>

namespace qrv {

/**
 * The classic message-box flags taken apart: which answer buttons a button set shows, which one
 * is the default, which one a dismissal (Escape or closing the window) stands for, and how each
 * button is captioned. Shared by the Qt message box and the touch-screen question window so both
 * answer the same codes for the same flags.
 */
namespace MessageButtons {

constexpr int ButtonSetMask = 0x0F;
constexpr int IconMask = 0x70;
constexpr int DefaultButtonMask = 0x300;

/**
 * The answer codes (vbOK, vbCancel, ...) of the buttons that flags asks for, left to right. An
 * unknown button set shows OK alone, as the classic box does.
 */
QVector<int> answersFor(int flags);

/** Index into answersFor(flags) of the default button (vbDefaultButton1..3); 0 when out of range. */
int defaultIndex(int flags);

/**
 * The answer a dismissal gives: Cancel when the set has it, OK for an OK-only box, No for Yes/No,
 * Abort for Abort/Retry/Ignore. Never an answer the operator could not have chosen.
 */
int dismissAnswer(int flags);

/** The icon part of flags (vbCritical, vbQuestion, vbExclamation, vbInformation), 0 for none. */
int icon(int flags);

/** The caption of an answer's button on the touch screen ("Sì", "No", "Annulla", ...). */
QString caption(int answer);

} // namespace MessageButtons
} // namespace qrv
