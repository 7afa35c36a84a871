// The identification reply shared by the initialisation requests of both handlers.
#pragma once

// Fills +10, +12 and the identity at +86 of the current packet, then checks the host kind
// (+4 must be 1) and version (+7 at least 2); a failed check prints its message, writes
// -3 or -5 at +10 and sets the latch.
void host_check_reply();
