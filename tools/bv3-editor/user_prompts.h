#pragma once
// Every question the main window asks a person, behind one interface, so that tests can
// answer them without a modal box.

#include "editor_settings.h"

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace bv3::editor {

enum class UnsavedChoice { Save, Discard, Cancel };

// How to order a list like a reference.
struct ReorderChoice {
    bool dropUnmatched = false;
    bool carryFavourites = false;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // The document has unsaved changes and is about to be replaced or closed.
    virtual UnsavedChoice askUnsavedChanges(const QString& documentName) = 0;
    virtual void showError(const QString& title, const QString& text) = 0;
    virtual void showInformation(const QString& title, const QString& text) = 0;
    virtual bool confirm(const QString& title, const QString& text) = 0;
    // Empty when the person cancels.
    virtual QString openFileName(const QString& title, const QString& directory, const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& proposed, const QString& filter,
                                 QString* selectedFilter) = 0;
    // A raw image names neither its model nor its variant; empty when the person cancels.
    virtual std::optional<ImageKind> askImageKind(const QString& path, ImageKind proposed) = 0;
    // The model and variant the open list is checked against and sent with; empty on cancel.
    virtual std::optional<ImageKind> askListKind(const QString& documentName, ImageKind current) = 0;
    // A line of text (a new provider's name); empty optional on cancel.
    virtual std::optional<QString> askText(const QString& title, const QString& label, const QString& initial) = 0;
    // One of items (a provider or TS by name); its index, or empty on cancel.
    virtual std::optional<int> askChoice(const QString& title, const QString& label, const QStringList& items,
                                         int current) = 0;
    // Before ordering the list like the reference named; empty on cancel.
    virtual std::optional<ReorderChoice> askReorder(const QString& referenceName, ReorderChoice proposed) = 0;
};

// The real dialogs, parented to the main window.
class DialogPrompts final : public UserPrompts {
public:
    explicit DialogPrompts(QWidget* parent) : parent_(parent) {}

    UnsavedChoice askUnsavedChanges(const QString& documentName) override;
    void showError(const QString& title, const QString& text) override;
    void showInformation(const QString& title, const QString& text) override;
    bool confirm(const QString& title, const QString& text) override;
    QString openFileName(const QString& title, const QString& directory, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& proposed, const QString& filter,
                         QString* selectedFilter) override;
    std::optional<ImageKind> askImageKind(const QString& path, ImageKind proposed) override;
    std::optional<ImageKind> askListKind(const QString& documentName, ImageKind current) override;
    std::optional<QString> askText(const QString& title, const QString& label, const QString& initial) override;
    std::optional<int> askChoice(const QString& title, const QString& label, const QStringList& items,
                                 int current) override;
    std::optional<ReorderChoice> askReorder(const QString& referenceName, ReorderChoice proposed) override;

private:
    std::optional<ImageKind> askKind(const QString& title, const QString& text, ImageKind proposed);
    QWidget* parent_;
};

}  // namespace bv3::editor
