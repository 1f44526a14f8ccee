#pragma once
// The program's picture: a chip on a blue tile, drawn rather than loaded so that the program
// needs no image plugin.

#include <QPixmap>

QPixmap WindowIconPixmap(int size);
