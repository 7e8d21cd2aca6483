#pragma once
// Library code (here: the GUI toolkit's start-up) can leave the upper halves
// of the x86 vector registers dirty. Until they are cleared, every SSE
// instruction of ordinary compiled code pays a transition penalty: listing a
// large tree took twice as long. Clearing them costs one instruction.

namespace corvane {

// Clears the upper vector state where the processor has one; does nothing
// elsewhere.
void ClearUpperVectorState();

}  // namespace corvane
