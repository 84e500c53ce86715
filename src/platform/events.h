// SPDX-License-Identifier: MIT
// "Let pending events run": dispatch queued window events (clicks, keys,
// timer ticks, repaints) before going on, on the one user-interface thread.
#pragma once

void letEventsRun();
