function OnFinish(selProj, selObj) { return 0; }
