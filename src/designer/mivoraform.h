#pragma once
// The layout designer: the layouts of PrtData.DB (the current record is the layout
// of every print), their preview over the scanned form, and the placement of their
// 60 items. Created once at start, right after the main window, and shown modally.
// A layout change is stored at once; OK and Cancel only settle what is pending.

#include "designer/layoutnamelist.h"
#include "designer/placementhistory.h"
#include "dialogs/restorepos.h"
#include "items/menutextcheck.h"
#include "store/schema.h"

#include <QDialog>
#include <QFont>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QScrollBar;
class QToolButton;

namespace mivora {

struct Forms;
class DataSource;
class DBCheckBox;
class DBComboBox;
class DBEdit;
class DBNavigator;
class FontChooser;
class FormPicture;
class ItemLabel;

class TMivoraForm : public QDialog {
    Q_OBJECT
  public:
    // Opens the designer's tables (a failure is reported and the window still comes).
    TMivoraForm(Session& session, Forms& forms, QWidget* parent = nullptr);
    ~TMivoraForm() override;

    // Handlers of the window.
    void FormCreate();
    void FormPaint();
    void FormResize();
    bool FormCloseQuery();
    void DBNavigator1Click();
    void DBEdit2Change();
    void DBEdit3Change();
    void ReadButtonClick();
    void Table1BeforePost();
    void OKBtnClick();
    void CancelBtnClick();
    void CheckBox2Click();
    void SpeedButton1Click();

    // Handlers of the placement of the current item.
    void NoScrollBarChange();
    void PrintLabelClick(int number);
    void MenuDBComboBoxChange();
    void XScrollBarChange();
    void YScrollBarChange();
    void XPosDBEditChange();
    void YPosDBEditChange();
    void FSizDBComboBoxClick();
    void Edit1Click();
    void LenDBComboBoxChange();
    void FreeDBComboBoxChange();

    // Undo and redo of the placement changes of the current layout (Ctrl+Z, Ctrl+Y
    // where the focus is in no text box, whose typing the keys undo and redo there),
    // from its showing, the last move to another layout, OK or ｷｬﾝｾﾙ on.
    void UndoBtnClick();
    void RedoBtnClick();

    // Moving items in the preview with the mouse and the arrow keys.
    void PrintLabelDrop(int number, QPoint distance);
    void MoveCurrentItem(int dx, int dy);

    // The form image file chosen with "参照" becomes the layout's form name.
    void useFormFile(const QString& path);

    int currentItem() const { return current_; }
    int scale() const;
    ItemLabel* PrintLabel(int number) const {
        return printLabels_.at(static_cast<std::size_t>(number - 1));
    }
    // The amount cells of the fee calculation: never shown, only holding texts.
    QLabel* ExpLabel(int number) const {
        return expLabels_.at(static_cast<std::size_t>(number - 1));
    }
    // The cells show the amount texts of the session's preparation state; they follow
    // every change of them.
    void mirrorAmountCells();
    // The free contents offered for hand-written items (also by the print-content window).
    QStringList freeChoices() const;

    Session& session() const { return session_; }

    // The window's controls.
    QMenuBar* MenuBar;
    QMenu* EditMenu;
    QAction* UndoAction;
    QAction* RedoAction;
    DataSource* DataSource1; // PrtData.DB
    DataSource* DataSource2; // PrtFreeData.DB
    QWidget* TopPanel;
    DBNavigator* DBNavigator1;
    DBEdit* DBEdit1; // 印刷名
    DBEdit* DBEdit2; // 印刷フォーム
    DBEdit* DBEdit3; // 印刷サイズＸ
    DBEdit* DBEdit4; // 印刷サイズＹ
    QPushButton* ReadButton;
    QComboBox* ScaleComboBox;
    QWidget* BtnPanel;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QToolButton* SpeedButton1;
    QToolButton* UndoButton;
    QToolButton* RedoButton;
    QWidget* LeftPanel;
    QWidget* PointPanel;
    QWidget* NoSetPanel;
    QLabel* NPanel;
    QLabel* NoPanel;
    QScrollBar* NoScrollBar;
    QWidget* PosSetPanel;
    QLabel* KPanel;
    DBComboBox* MenuDBComboBox;
    DBComboBox* FreeDBComboBox;
    QLabel* LenPanel;
    QLabel* DateSPPanel;
    DBComboBox* LenDBComboBox;
    QLabel* YPanel;
    DBEdit* YPosDBEdit;
    QLabel* YPosPanel;
    QScrollBar* YScrollBar;
    QLabel* FPPanel;
    DBComboBox* FSizDBComboBox;
    QLabel* Panel7;
    QLineEdit* Edit1; // the font name of the item labels and of printing
    QLabel* XPanel;
    DBEdit* XPosDBEdit;
    QScrollBar* XScrollBar;
    QLabel* XPosPanel;
    QCheckBox* CheckBox2; // 修正モード
    DBCheckBox* CalDBCheckBox;
    QWidget* Panel3;
    QScrollArea* ScrollBox1;
    QWidget* ScrolledArea;  // what ScrollBox1 scrolls: Image1 and the labels
    FormPicture* Image1;    // the form image, also the print run's
    ItemLabel* PrintLabel1; // its font is the print font
    DBCheckBox* DBCheckBox1;
    DBCheckBox* CheckBox1;
    QFileDialog* OpenDialog1;
    // Made when first asked for: it reads every font of the system, which takes
    // a while where many are installed.
    FontChooser* fontChooser();
    TRestorePos RestorePos1;

    // Every close, by a button or the close box, goes through FormCloseQuery.
    void done(int result) override;
    // Esc and the close box drop what is pending, as ｷｬﾝｾﾙ does.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    FontChooser* fontChooser_ = nullptr;

    // One axis of the position controls; the X and Y handlers differ only in it.
    struct Axis {
        std::string positionPrefix; // CP932: "Ｘ座標" / "Ｙ座標"
        std::string paperField;     // CP932: "印刷サイズＸ" / "印刷サイズＹ"
        DBEdit* edit = nullptr;
        QScrollBar* bar = nullptr;
        QLabel* millimetres = nullptr;
        bool horizontal = true;
    };
    // The field names of one slot (CP932).
    struct SlotFields {
        std::string item;
        std::string x;
        std::string y;
        std::string size;
        std::string freeItem;
    };

    void buildLabels();
    void connectHandlers();
    void bindControls();
    void openTables();

    const SlotFields& slot(int number) const {
        return slotFields_.at(static_cast<std::size_t>(number - 1));
    }
    const std::string& positionField(const Axis& axis, int number) const;
    void positionBarChange(const Axis& axis);
    void positionEditChange(const Axis& axis);
    void showPosition(const Axis& axis);
    int paperDotsOf(const Axis& axis) const;
    void placeLabel(ItemLabel& label, const Axis& axis, int dots);
    void placeCurrentLabel();
    void moveCurrentItemTo(const Axis& axis, int dots);

    void showItem(int number);
    ResolvedItem resolve(const std::string& itemText, int number);
    void showOnLabel(ItemLabel& label, const std::string& text);
    void setLabelSize(ItemLabel& label, int points);
    void setLabelFontName(const std::string& name);
    void fitScrolledArea();
    bool FormKeyPress(int key);
    bool previewKeyPress(int key, Qt::KeyboardModifiers modifiers);
    static bool barKeyPress(QScrollBar& bar, const QKeyEvent& key);

    PlacementHistory::Values placementValues() const;
    void startHistory();
    void notePlacement();
    void restorePlacement(const PlacementHistory::Values& values);
    void showHistoryButtons();
    bool textBoxKeyPress(QObject* watched, QEvent& event);

    void postLayoutIfEdited();
    void postInputIfEdited();
    bool storeTyped();
    void postAndEditLayout();
    bool takePaperSizes();
    void storeNewLayout();
    void report(const std::string& message);
    // Runs work; a failure of a table or a file is reported, and false returned.
    bool attempt(const std::function<void()>& work);

    Session& session_;
    Forms& forms_;
    std::unique_ptr<ItemResolver> resolver_;
    std::array<ItemLabel*, kSlotCount> printLabels_{};
    std::array<QLabel*, kAmountCellCount> expLabels_{};
    std::array<SlotFields, kSlotCount> slotFields_;
    std::array<Axis, 2> axes_;
    LayoutNameList layoutNames_;
    // The layout fields that placing items changes (CP932), in the order of the
    // history's values; the free contents of the 60 items follow them there.
    std::vector<std::string> placementFields_;
    PlacementHistory history_;
    int stepDepth_ = 0;      // inside one step that changes several values
    bool restoring_ = false; // an undo or redo is writing its values
    QFont labelFont_;
    int current_ = 1;
};

} // namespace mivora
