#pragma once
// The local date and time as text that can stand in a file name:
// "%a %Y-%b-%d %H'%M'%S", in the C locale.

const char* FormatDateStamp();
