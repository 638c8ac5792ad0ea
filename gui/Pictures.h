#pragma once

#include <QIcon>

// The small pictures the buttons show above their captions, drawn here so they look the same
// on every desktop theme.
enum class Picture
{
    Start,
    Stop,
    Search,
    Setup,
    Website,
    Copy,
    Del,
    Clear,
    Go,
    Back,
    Forward,
    Halt,
    Refresh,
    Home,
    Add
};

QIcon PictureIcon(Picture picture);
// The program's emblem, for the splash window, the about box and the window icon.
QPixmap ProgramEmblem(int size);
