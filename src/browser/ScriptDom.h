#pragma once

// The scripts' document object model, run in every new window before the page's own scripts.
extern const char* const kScriptDomSource;
