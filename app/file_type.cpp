#include "file_type.h"

// Placeholder until the registration is written.
void RegisterRawFileType() {}

int WriteProgIdKeys(const std::wstring&) { return 0; }
