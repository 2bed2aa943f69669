// The version of sbdriver.dll, as the file's properties and its PE header show it.
#pragma once

namespace wintest {

// File and product version (numbers and texts) and the PE header's image version are the project's, with a
// description, the product and company name and the copyright.
void CheckVersionResource();

}  // namespace wintest
