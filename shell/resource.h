#pragma once
// Resource identifiers shared by setup.rc and the code.

#define IDI_SETUP 101
#define IDD_PROGRESS 102
#define IDD_CHOOSE_FOLDER 114
#define IDC_FOLDER 1000
#define IDC_BROWSE 1001
// Added to the progress window when it is made: the step text and the bar.
#define IDC_STEP 1002
#define IDC_PROGRESS 1003
