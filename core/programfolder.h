#pragma once
#include <QString>

// The folder that holds AFConfig.zrb, Export.txt, TCFiles, "TC Text" and ports/: the
// executable's folder when the program may write there, otherwise the per-user data folder.
QString ResolveProgramFolder();
