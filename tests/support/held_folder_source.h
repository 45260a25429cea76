// A folder source for tests that act while a scan works: the folders are those
// of the real file system, but the first listing waits until the test lets it go.
#pragma once

#include "filelist/folder_source.h"

#include <QSemaphore>

namespace testing {

class HeldFolderSource : public tessaly::FolderSource {
public:
    mutable QSemaphore entered;   // released when the first listing starts
    mutable QSemaphore released;  // the test releases it to let the listing go on

    tessaly::SubFolderListing subFolders(const QString &folder) const override
    {
        entered.release();
        released.acquire();
        released.release();  // the later listings go through
        return FolderSource::subFolders(folder);
    }
};

} // namespace testing
