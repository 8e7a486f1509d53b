# The link test needs the Unix-side fixture; discovered tests get the requirement here.
set_tests_properties("win.RemoveFolderTreeTest.LeavesLinkTargetIntact" PROPERTIES FIXTURES_REQUIRED links)
