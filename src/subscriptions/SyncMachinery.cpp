#include "SyncMachinery.h"

namespace tanzo {

void PasswordStore::move(const QString& from, const QString& to, RemoveDone done) {
    read(from,
         [this, from, to, done = std::move(done)](const QString& password, const QString& problem) {
             if (!problem.isEmpty()) {
                 done(problem);
                 return;
             }
             write(to, password, [this, from, done](bool kept, const QString& note) {
                 if (kept)
                     remove(from, done);
                 else
                     done(note);
             });
         });
}

} // namespace tanzo
