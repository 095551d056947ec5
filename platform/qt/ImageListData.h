#pragma once
// Inside platform/ only: the images behind an HIMAGELIST. A list view keeps
// a share of them, so it can draw after the CImageList that made them is gone.

#include "platform/ImageList.h"

#include <QIcon>
#include <QPixmap>

#include <memory>
#include <vector>

struct CImageListImages {
    int cx = 16;
    int cy = 16;
    std::vector<QPixmap> images;
    std::vector<QIcon> icons;  // one per image, shared by every row that shows it

    void Add(QPixmap pixmap)
    {
        icons.emplace_back(pixmap);
        images.push_back(std::move(pixmap));
    }
};

struct HIMAGELIST__ {
    std::shared_ptr<CImageListImages> images = std::make_shared<CImageListImages>();
};

// The images of a live image-list handle, or null.
std::shared_ptr<CImageListImages> AfxImageListImages(HIMAGELIST hImageList);
