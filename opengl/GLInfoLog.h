#pragma once
// "tolvanGFX.log": what the driver told us about itself, below the data root.

// Opens the log, truncating it. Writing opens it on first use when nobody did.
void GLInfoLogOpen();
void GLInfoLogClose();
// Writes and flushes at once, so the file is whole even after a driver crash.
void GLInfoLogWrite(const char* text);
