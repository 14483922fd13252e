#pragma once

// What a closed tool window held (a decoded photo of several hundred megabytes, its
// previews, the buffers of the libraries' worker threads) goes back to the system, not only
// to the allocator, so the tray application returns near its idle size.
namespace Memoire {

// Sets the allocator so that large buffers and workers' memory go back when freed; once,
// before the first window decodes anything.
void preparer();

// Trims every allocator arena, off the GUI thread.
void rendre();

// Resident size of this process, in bytes (0 when it cannot be read).
long long residente();

} // namespace Memoire
