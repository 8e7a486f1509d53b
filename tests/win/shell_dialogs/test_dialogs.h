#pragma once
// Dialog templates of the framework tests.

#define IDD_TEST_PLAIN 300
#define IDC_TEST_EDIT 10
#define IDC_TEST_LABEL 11
#define IDD_TEST_MISSING 399
