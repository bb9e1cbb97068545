#include "calculators/FilterWindow.h"

#include "platform/MdiFrame.h"

#include "help/HelpContexts.h"

#include "platform/ButtonKeys.h"
#include "platform/Dialogs.h"
#include "platform/Folders.h"
#include "shell/AppLinks.h"
#include "shell/Settings.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMoveEvent>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// The caption column as wide as its longest caption (at least its designed width), and the grid
// wide enough to show both columns, so that a larger font clips nothing.
void FitCaptions(QTableWidget* grid, int valueWidth) {
    const int designed = grid->columnWidth(0);
    grid->resizeColumnToContents(0);
    const int captionWidth = std::max(designed, grid->columnWidth(0));
    grid->setColumnWidth(0, captionWidth);
    const int scrollBar = grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    grid->setMinimumWidth(captionWidth + valueWidth + 2 * grid->frameWidth() + scrollBar);
}

int Snap(int value, int step) {
    if (step <= 0)
        return value;
    return static_cast<int>(std::lround(static_cast<double>(value) / step)) * step;
}

} // namespace

TfrmCalculators::TfrmCalculators(int number, QWidget* parent)
    : QWidget(parent), number_(CalculatorTable().Calculator(number) ? number : 0),
      sheet_(CalculatorTable().Calculator(number_)) {
    setObjectName("frmCalculators");
    setWindowTitle("Calculator");
    setProperty("helpContext", HelpContext::Calculators);
    setAttribute(Qt::WA_DeleteOnClose);

    pgFilter_ = new QTabWidget(this);
    pgFilter_->setObjectName("pgFilter");

    auto* tsMain = new QWidget;
    tsMain->setObjectName("tsMain");
    label1_ = new QLabel("Filter type:", tsMain);
    label1_->setObjectName("Label1");
    label1_->setTextFormat(Qt::PlainText);
    label1_->setWordWrap(true);
    auto* picturePanel = new QFrame(tsMain);
    picturePanel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    picturePanel->setLineWidth(1);
    filterPic_ = new QLabel(picturePanel);
    filterPic_->setObjectName("FilterPic");
    filterPic_->setFixedSize(200, 200);
    filterPic_->setScaledContents(true);
    filterPic_->setAlignment(Qt::AlignCenter);
    auto* pictureLayout = new QHBoxLayout(picturePanel);
    pictureLayout->setContentsMargins(1, 1, 1, 1);
    pictureLayout->addWidget(filterPic_);
    auto* mainLayout = new QVBoxLayout(tsMain);
    mainLayout->setContentsMargins(4, 4, 4, 4);
    mainLayout->addWidget(label1_);
    mainLayout->addWidget(picturePanel, 0, Qt::AlignHCenter);
    mainLayout->addStretch(1);
    pgFilter_->addTab(tsMain, "Filter");

    button1_ = new QPushButton("Calculate");
    button1_->setObjectName("Button1");
    button1_->setDefault(true);
    closeButton_ = new QPushButton("Close");
    closeButton_->setObjectName("CloseButton");
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(4, 2, 4, 2);
    bottom->addWidget(button1_, 3);
    bottom->addWidget(closeButton_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pgFilter_, 1);
    layout->addLayout(bottom);

    connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { CloseButtonClick(); });
    // Not a dialog: Enter on "Close" would otherwise reach keyPressEvent and calculate.
    PressFocusedButtonOnEnter(*this);

    if (const TFilter* filter = sheet_.Filter()) {
        label1_->setText(FromUtf8(filter->Name));
        for (int p = 0; p < sheet_.InputPageCount(); ++p) {
            const auto& page = filter->InputPage[static_cast<std::size_t>(p)];
            auto* grid = AddGrid(page.PageName, sheet_.InputItemCount(p), 120, 120);
            grid->setObjectName(QString("InputGrid%1").arg(p + 1));
            for (int k = 0; k < sheet_.InputItemCount(p); ++k)
                grid->item(k, 0)->setText(FromUtf8(page.Item[static_cast<std::size_t>(k)]));
            FitCaptions(grid, 120);
            inputGrids_.push_back(grid);
        }
        for (int p = 0; p < sheet_.OutputPageCount(); ++p) {
            const auto& page = filter->OutputPage[static_cast<std::size_t>(p)];
            auto* grid = AddGrid(page.PageName, sheet_.OutputItemCount(p), 80, 160);
            grid->setObjectName(QString("OutputGrid%1").arg(p + 1));
            for (int k = 0; k < sheet_.OutputItemCount(p); ++k)
                grid->item(k, 0)->setText(FromUtf8(page.Item[static_cast<std::size_t>(k)]));
            FitCaptions(grid, 160);
            outputGrids_.push_back(grid);
        }
        LoadPicture();
    }
    resize(sizeHint().expandedTo(QSize(240, 293)));
}

TfrmCalculators* TfrmCalculators::CreateCalculator(int number) {
    return new TfrmCalculators(number);
}

QTableWidget* TfrmCalculators::AddGrid(const std::string& caption, int rows, int firstWidth,
                                       int secondWidth) {
    auto* grid = new QTableWidget(rows, 2);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    // Row height 16 as drawn at the system's font; a larger font gets the rows it needs.
    const int rowHeight = std::max(16, grid->fontMetrics().height() + 4);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->verticalHeader()->setMinimumSectionSize(rowHeight);
    grid->setColumnWidth(0, firstWidth);
    grid->setColumnWidth(1, secondWidth);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // No editing on a click into the current cell: that edit waits a double-click interval, and
    // keys typed meanwhile went to the row search instead of the cell and were lost.
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(false);
    // Enter calculates here as everywhere in the window; in a cell being edited the cell's editor
    // takes the key to commit the text, so the calculation follows that commit.
    connect(grid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    QMetaObject::invokeMethod(
                        this, [this] { Button1Click(); }, Qt::QueuedConnection);
            });
    grid->setAccessibleName(FromUtf8(caption));
    for (int row = 0; row < rows; ++row) {
        // The first column holds the captions and cannot be edited, like a fixed column.
        auto* caption = new QTableWidgetItem;
        caption->setFlags(Qt::ItemIsEnabled);
        caption->setBackground(grid->palette().button());
        grid->setItem(row, 0, caption);
        grid->setItem(row, 1, new QTableWidgetItem);
    }
    if (rows > 0)
        grid->setCurrentCell(0, 1);
    pgFilter_->addTab(grid, EscapeAmpersands(FromUtf8(caption)));
    return grid;
}

void TfrmCalculators::LoadPicture() {
    // A picture that is missing or cannot be read leaves the box empty.
    const auto path = platform::FindShippedFile("Filters/" + sheet_.Filter()->BMPFile);
    if (!path)
        return;
    QPixmap picture;
    if (picture.load(QString::fromStdString(path->string())))
        filterPic_->setPixmap(picture);
}

void TfrmCalculators::Button1Click() {
    if (!sheet_.Filter())
        return;
    for (std::size_t p = 0; p < inputGrids_.size(); ++p) {
        auto* grid = inputGrids_[p];
        for (int k = 0; k < grid->rowCount(); ++k)
            sheet_.InputValue(static_cast<int>(p), k) = grid->item(k, 1)->text().toStdString();
    }
    const auto error = sheet_.Calculate();
    for (std::size_t p = 0; p < outputGrids_.size(); ++p) {
        auto* grid = outputGrids_[p];
        for (int k = 0; k < grid->rowCount(); ++k) {
            const auto& text = sheet_.OutputText(static_cast<int>(p), k);
            if (!text.empty())
                grid->item(k, 1)->setText(FromUtf8(text));
        }
    }
    if (error) {
        platform::MessageRequest request;
        request.kind = platform::MessageKind::Error;
        request.text = *error;
        request.parent = this;
        platform::AppDialogs().Message(request);
    }
}

void TfrmCalculators::CloseButtonClick() {
    close();
}

void TfrmCalculators::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Button1Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmCalculators::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // The frame that moves: the MDI sub-window when there is one, else this window.
    (parentWidget() ? parentWidget() : this)->installEventFilter(this);
}

bool TfrmCalculators::event(QEvent* event) {
    // In the main window's workspace: a fixed frame with the system menu, the minimise and the
    // close box only. Set when the frame takes the window, before it is shown: new flags hide a
    // shown frame and take the keyboard from the field that has it.
    if (event->type() == QEvent::ParentChange)
        MakeFixedFrame(*this);
    return QWidget::event(event);
}

bool TfrmCalculators::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Move && !snapping_ && TC.GridON) {
        auto* frame = qobject_cast<QWidget*>(watched);
        if (frame && !frame->isMaximized() && !frame->isMinimized()) {
            const QPoint at = frame->pos();
            const QPoint snapped(Snap(at.x(), TC.GridX), Snap(at.y(), TC.GridY));
            if (snapped != at) {
                snapping_ = true;
                frame->move(snapped);
                snapping_ = false;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
