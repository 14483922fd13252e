#pragma once

#include <QImage>

class QVideoFrame;

// The picture of one of the player's frames. Qt's ffmpeg backend hands the frames of a 4:4:4
// video as 4:2:0 ones whose colour planes are still whole: read as it says, their colours
// are wrong and doubled. Those are converted here from their real planes, and so are 4:2:2
// frames, which Qt's own conversion without OpenGL overruns.
QImage imageDuLecteur(const QVideoFrame& image, bool yuv444);
