// SPDX-License-Identifier: MIT
// The operating-system services every screen and module may call on, handed
// around together. main() builds the real ones; tests build fakes.
#pragma once

class Clock;
class FatalErrors;
class SoundOutput;
class ProgramLauncher;
class WaitNotice;
class ProgramLog;

struct Platform {
    Clock &clock;
    FatalErrors &fatal;
    SoundOutput &sound;
    ProgramLauncher &launcher;
    // Where a wait that only a person can end is explained; none in the
    // tests that do not look for it.
    WaitNotice *notice = nullptr;
    // Where start-up notes for the administrator what it did about sound
    // and the daily copy; none in the tests that do not look for it.
    ProgramLog *log = nullptr;
};
