// The toolbar's 20 x 20 images, drawn at run time: a coloured tile with a short mark per index.
#pragma once

#include <QIcon>

namespace zorvan {

QIcon toolbarIcon(int index);

}  // namespace zorvan
