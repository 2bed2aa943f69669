// The version resource of sbdriver.dll, as the file's properties show it.
#pragma once

namespace wintest {

// File and product version (numbers and texts) are the project's, with a description and the product name.
void CheckVersionResource();

}  // namespace wintest
