#include "report/RLConsts.h"

#include "platform/system/locale.h"
#include "platform/system/session.h"

namespace prenso {

using namespace Qt::StringLiterals;

namespace {

// The six built-in tables. Designated initializers keep each text on the key
// it belongs to: the compiler rejects a key out of order or misspelt.
//
// The Spanish, French, Italian and German tables keep the wording our users
// have always seen, including the few texts that read oddly and the French
// texts in the Italian table: changing them would change what users know.
// French, Italian and German never had odd/even page texts of their own and
// keep the English ones.
//
// Each table is one long list of texts, and is clearest that way: the limit
// on a function's length does not apply to them.
// NOLINTBEGIN(readability-function-size)

const TRLLocaleStrings &EnglishTable()
{
    static const TRLLocaleStrings table{
        .LS_PrintingInProgressStr = u"Printing in progress..."_s,
        .LS_FilterInProgressStr = u"Saving report..."_s,
        .LS_PreparingReportStr = u"Preparing report..."_s,
        .LS_PrinterNotFoundStr = u"Printer not found"_s,
        .LS_NoPathToPrinterStr = u"Invalid printer path"_s,
        .LS_LoadDefaultConfigStr = u"Load default configuration"_s,
        .LS_PrinterDriverErrorStr = u"Printer driver error"_s,
        .LS_PageStr = u"Page"_s,
        .LS_PrepareErrorStr = u"Error while preparing report"_s,
        .LS_PageBreakStr = u"Continues..."_s,
        .LS_PageMendStr = u"Continuation"_s,
        .LS_ReportEndStr = u"End"_s,
        .LS_FileNotFoundStr = u"File not found"_s,
        .LS_FileNameStr = u"File Name"_s,
        .LS_AllFileTypesStr = u"All files"_s,
        .LS_LoadReportStr = u"Load report"_s,
        .LS_NotFoundStr = u"Not found"_s,
        .LS_WaitStr = u"Wait..."_s,
        .LS_FinishedStr = u"Finished"_s,
        .LS_CancelStr = u"Cancel"_s,
        .LS_CloseStr = u"Close"_s,
        .LS_SaveStr = u"Save"_s,
        .LS_SendStr = u"Send"_s,
        .LS_PrintStr = u"Print"_s,
        .LS_AboutTheStr = u"About"_s,
        .LS_PreviewStr = u"Preview"_s,
        .LS_OfStr = u"of"_s,
        .LS_ZoomStr = u"Zoom"_s,
        .LS_FirstPageStr = u"First page"_s,
        .LS_PriorPageStr = u"Prior page"_s,
        .LS_NextPageStr = u"Next page"_s,
        .LS_LastPageStr = u"Last page"_s,
        .LS_EntirePageStr = u"Entire page"_s,
        .LS_EntireWidthStr = u"Entire width"_s,
        .LS_MultiplePagesStr = u"Multiple pages"_s,
        .LS_ConfigPrinterStr = u"Configure printer"_s,
        .LS_SaveToFileStr = u"Save to file"_s,
        .LS_SendToStr = u"Send to"_s,
        .LS_PrinterStr = u"Printer"_s,
        .LS_NameStr = u"Name"_s,
        .LS_PrintToFileStr = u"Print to file"_s,
        .LS_PrintInBackgroundStr = u"Print in background"_s,
        .LS_OptionsStr = u"Options"_s,
        .LS_SaveInBackground = u"Save in background"_s,
        .LS_PageRangeStr = u"Page range"_s,
        .LS_CopyAsImageStr = u"Copy as image"_s,
        .LS_RangeFromStr = u"from"_s,
        .LS_RangeToStr = u"to"_s,
        .LS_AllStr = u"All"_s,
        .LS_PagesStr = u"Pages"_s,
        .LS_SelectionStr = u"Selection"_s,
        .LS_CopiesStr = u"Copies"_s,
        .LS_NumberOfCopiesStr = u"Number of copies"_s,
        .LS_OkStr = u"Ok"_s,
        .LS_DivideScreenStr = u"Divide the screen"_s,
        .LS_InvalidNameStr = u"Invalid name"_s,
        .LS_DuplicateNameStr = u"Name already in use"_s,
        .LS_UseFilterStr = u"Use filter"_s,
        .LS_WebPageStr = u"Web page"_s,
        .LS_RichFormatStr = u"RichText Format"_s,
        .LS_PDFFormatStr = u"PDF Document"_s,
        .LS_XLSFormatStr = u"Excel spreadsheet"_s,
        .LS_AtStr = u"at"_s,
        .LS_FormStr = u"Form"_s,
        .LS_DefaultStr = u"Default"_s,
        .LS_ZoomInStr = u"Increase zoom"_s,
        .LS_ZoomOutStr = u"Decrease zoom"_s,
        .LS_CopyStr = u"Copy"_s,
        .LS_EditStr = u"Edit"_s,
        .LS_FindCaptionStr = u"Find"_s,
        .LS_TextToFindStr = u"Te&xt"_s,
        .LS_FindNextStr = u"Find &Next"_s,
        .LS_WholeWordsStr = u"&Whole words only"_s,
        .LS_MatchCaseStr = u"&Match Case"_s,
        .LS_DirectionUpStr = u"&Up"_s,
        .LS_DirectionDownStr = u"&Down"_s,
        .LS_DirectionCaptionStr = u"Direction"_s,
        .LS_ColumnsStr = u"Columns"_s,
        .LS_CharTableStr = u"Characters"_s,
        .LS_SetupStr = u"Setup..."_s,
        .LS_FontSizeError = u"Font size error"_s,
        .LS_OddPages = u"Odd"_s,
        .LS_EvenPages = u"Even"_s,
        .LS_OddPagesOnly = u"Odd pages only"_s,
        .LS_EvenPagesOnly = u"Even pages only"_s,
        .LS_AllOddAndEven = u"All"_s,
        .LS_PrintDialogError = u"Problems with print dialog"_s,
        .LS_PageSelectionHint = u"Separate page numbers or page intervals with \";\". i.e.: 1;3;5-12;4"_s,
        .LS_DefaultJobTitle = u"Report \"%s\""_s,
        .LS_LastFooMsg = u""_s,
    };
    return table;
}

const TRLLocaleStrings &PortugueseTable()
{
    static const TRLLocaleStrings table{
        .LS_PrintingInProgressStr = u"Imprimindo o relatório..."_s,
        .LS_FilterInProgressStr = u"Salvando o relatório..."_s,
        .LS_PreparingReportStr = u"Preparando o relatório..."_s,
        .LS_PrinterNotFoundStr = u"Nenhuma impressora encontrada"_s,
        .LS_NoPathToPrinterStr = u"Caminho inválido para a impressora"_s,
        .LS_LoadDefaultConfigStr = u"Será carregada a configuração padrão"_s,
        .LS_PrinterDriverErrorStr = u"Erro no driver da impressora"_s,
        .LS_PageStr = u"Página"_s,
        .LS_PrepareErrorStr = u"Erro durante a preparação do relatório"_s,
        .LS_PageBreakStr = u"Continua..."_s,
        .LS_PageMendStr = u"Continuação"_s,
        .LS_ReportEndStr = u"Fim"_s,
        .LS_FileNotFoundStr = u"Arquivo não encontrado"_s,
        .LS_FileNameStr = u"Nome do arquivo"_s,
        .LS_AllFileTypesStr = u"Todos os arquivos"_s,
        .LS_LoadReportStr = u"Carregar relatório"_s,
        .LS_NotFoundStr = u"Não encontrado"_s,
        .LS_WaitStr = u"Aguarde..."_s,
        .LS_FinishedStr = u"Concluído"_s,
        .LS_CancelStr = u"Cancelar"_s,
        .LS_CloseStr = u"Fechar"_s,
        .LS_SaveStr = u"Salvar"_s,
        .LS_SendStr = u"Enviar"_s,
        .LS_PrintStr = u"Imprimir"_s,
        .LS_AboutTheStr = u"Sobre o"_s,
        .LS_PreviewStr = u"Pré-visualização"_s,
        .LS_OfStr = u"de"_s,
        .LS_ZoomStr = u"Zoom"_s,
        .LS_FirstPageStr = u"Primeira página"_s,
        .LS_PriorPageStr = u"Página anterior"_s,
        .LS_NextPageStr = u"Próxima página"_s,
        .LS_LastPageStr = u"Última página"_s,
        .LS_EntirePageStr = u"Página inteira"_s,
        .LS_EntireWidthStr = u"Largura da página"_s,
        .LS_MultiplePagesStr = u"Várias páginas"_s,
        .LS_ConfigPrinterStr = u"Configurar impressora"_s,
        .LS_SaveToFileStr = u"Salvar em disco"_s,
        .LS_SendToStr = u"Enviar para"_s,
        .LS_PrinterStr = u"Impressora"_s,
        .LS_NameStr = u"Nome"_s,
        .LS_PrintToFileStr = u"Imprimir em arquivo"_s,
        .LS_PrintInBackgroundStr = u"Imprimir em segundo plano"_s,
        .LS_OptionsStr = u"Opções"_s,
        .LS_SaveInBackground = u"Salvar em segundo plano"_s,
        .LS_PageRangeStr = u"Intervalo de páginas"_s,
        .LS_CopyAsImageStr = u"Copiar como imagem"_s,
        .LS_RangeFromStr = u"de"_s,
        .LS_RangeToStr = u"até"_s,
        .LS_AllStr = u"Tudo"_s,
        .LS_PagesStr = u"Páginas"_s,
        .LS_SelectionStr = u"Seleção"_s,
        .LS_CopiesStr = u"Cópias"_s,
        .LS_NumberOfCopiesStr = u"Número de cópias"_s,
        .LS_OkStr = u"Ok"_s,
        .LS_DivideScreenStr = u"Dividir a tela"_s,
        .LS_InvalidNameStr = u"Nome inválido"_s,
        .LS_DuplicateNameStr = u"Nome já utilizado"_s,
        .LS_UseFilterStr = u"Usar Filtro"_s,
        .LS_WebPageStr = u"Página da Web"_s,
        .LS_RichFormatStr = u"Formato RichText"_s,
        .LS_PDFFormatStr = u"Documento PDF"_s,
        .LS_XLSFormatStr = u"Planilha Excel"_s,
        .LS_AtStr = u"em"_s,
        .LS_FormStr = u"Formulário"_s,
        .LS_DefaultStr = u"Padrão"_s,
        .LS_ZoomInStr = u"Aumentar o zoom"_s,
        .LS_ZoomOutStr = u"Diminuir o zoom"_s,
        .LS_CopyStr = u"Copiar"_s,
        .LS_EditStr = u"Editar"_s,
        .LS_FindCaptionStr = u"Procurar"_s,
        .LS_TextToFindStr = u"Te&xto"_s,
        .LS_FindNextStr = u"&Próxima"_s,
        .LS_WholeWordsStr = u"Palavras &inteiras"_s,
        .LS_MatchCaseStr = u"Diferenciar &maiúsculas de minúsculas"_s,
        .LS_DirectionUpStr = u"A&cima"_s,
        .LS_DirectionDownStr = u"A&baixo"_s,
        .LS_DirectionCaptionStr = u"Direção"_s,
        .LS_ColumnsStr = u"Colunas"_s,
        .LS_CharTableStr = u"Caracteres"_s,
        .LS_SetupStr = u"Configuração"_s,
        .LS_FontSizeError = u"Erro no cálculo das fontes"_s,
        .LS_OddPages = u"Ímpares"_s,
        .LS_EvenPages = u"Pares"_s,
        .LS_OddPagesOnly = u"Somente Ímpares"_s,
        .LS_EvenPagesOnly = u"Somente Pares"_s,
        .LS_AllOddAndEven = u"Todas"_s,
        .LS_PrintDialogError = u"Problemas com o diálogo da impressora"_s,
        .LS_PageSelectionHint =
            u"Separe com ponto-e-vírgula os números ou intervalos de páginas a imprimir. Ex.: 1;3;5-12;4"_s,
        .LS_DefaultJobTitle = u"Relatório \"%s\""_s,
        .LS_LastFooMsg = u""_s,
    };
    return table;
}

const TRLLocaleStrings &FrenchTable()
{
    static const TRLLocaleStrings table{
        .LS_PrintingInProgressStr = u"Impression du rapport..."_s,
        .LS_FilterInProgressStr = u"Enregistrement du rapport..."_s,
        .LS_PreparingReportStr = u"Préparation du rapport..."_s,
        .LS_PrinterNotFoundStr = u"Imprimante non trouvée"_s,
        .LS_NoPathToPrinterStr = u"Chemin d'imprimante non valide"_s,
        .LS_LoadDefaultConfigStr = u"La configuration par défaut sera chargée"_s,
        .LS_PrinterDriverErrorStr = u"Erreur du pilote d'imprimante"_s,
        .LS_PageStr = u"Page"_s,
        .LS_PrepareErrorStr = u"Erreur lors de la préparation du rapport"_s,
        .LS_PageBreakStr = u"À suivre..."_s,
        .LS_PageMendStr = u"Suite"_s,
        .LS_ReportEndStr = u"Fin"_s,
        .LS_FileNotFoundStr = u"Fichier non trouvé"_s,
        .LS_FileNameStr = u"Nom du fichier"_s,
        .LS_AllFileTypesStr = u"Tous les fichiers"_s,
        .LS_LoadReportStr = u"Charger un rapport"_s,
        .LS_NotFoundStr = u"Non trouvé"_s,
        .LS_WaitStr = u"Patientez..."_s,
        .LS_FinishedStr = u"Terminé"_s,
        .LS_CancelStr = u"Annulé"_s,
        .LS_CloseStr = u"Fermer"_s,
        .LS_SaveStr = u"Enregistrer"_s,
        .LS_SendStr = u"Envoyer"_s,
        .LS_PrintStr = u"Imprimer"_s,
        .LS_AboutTheStr = u"À propos de"_s,
        .LS_PreviewStr = u"Aperçu"_s,
        .LS_OfStr = u"sur"_s,
        .LS_ZoomStr = u"Zoom"_s,
        .LS_FirstPageStr = u"Première page"_s,
        .LS_PriorPageStr = u"Page précédente"_s,
        .LS_NextPageStr = u"Page suivante"_s,
        .LS_LastPageStr = u"Dernière page"_s,
        .LS_EntirePageStr = u"Page entière"_s,
        .LS_EntireWidthStr = u"Pleine largeur"_s,
        .LS_MultiplePagesStr = u"Plusieurs pages"_s,
        .LS_ConfigPrinterStr = u"Configurer l'imprimante"_s,
        .LS_SaveToFileStr = u"Enregistrer dans un fichier"_s,
        .LS_SendToStr = u"Envoyer à"_s,
        .LS_PrinterStr = u"Imprimante"_s,
        .LS_NameStr = u"Nom"_s,
        .LS_PrintToFileStr = u"Imprimer dans un fichier"_s,
        .LS_PrintInBackgroundStr = u"Imprimer en arrière-plan"_s,
        .LS_OptionsStr = u"Options"_s,
        .LS_SaveInBackground = u"Enregistrer en arrière-plan"_s,
        .LS_PageRangeStr = u"Étendue de pages"_s,
        .LS_CopyAsImageStr = u"Copier comme image"_s,
        .LS_RangeFromStr = u"de"_s,
        .LS_RangeToStr = u"à"_s,
        .LS_AllStr = u"Tout"_s,
        .LS_PagesStr = u"Pages"_s,
        .LS_SelectionStr = u"Sélection"_s,
        .LS_CopiesStr = u"Copies"_s,
        .LS_NumberOfCopiesStr = u"Nombre de copies"_s,
        .LS_OkStr = u"Ok"_s,
        .LS_DivideScreenStr = u"Diviser l'écran"_s,
        .LS_InvalidNameStr = u"Nom non valide"_s,
        .LS_DuplicateNameStr = u"Nom déjà utilisé"_s,
        .LS_UseFilterStr = u"Utiliser un filtre"_s,
        .LS_WebPageStr = u"Page Web"_s,
        .LS_RichFormatStr = u"Format RichText"_s,
        .LS_PDFFormatStr = u"Document PDF"_s,
        .LS_XLSFormatStr = u"Feuille de calcul Excel"_s,
        .LS_AtStr = u"à"_s,
        .LS_FormStr = u"Formulaire"_s,
        .LS_DefaultStr = u"Par défaut"_s,
        .LS_ZoomInStr = u"Zoom avant"_s,
        .LS_ZoomOutStr = u"Zoom arrière"_s,
        .LS_CopyStr = u"Copier"_s,
        .LS_EditStr = u"Édition"_s,
        .LS_FindCaptionStr = u"Rechercher"_s,
        .LS_TextToFindStr = u"Te&xte"_s,
        .LS_FindNextStr = u"&Suivant"_s,
        .LS_WholeWordsStr = u"&Mots entiers seulement"_s,
        .LS_MatchCaseStr = u"Respecter la &casse"_s,
        .LS_DirectionUpStr = u"Vers le &haut"_s,
        .LS_DirectionDownStr = u"Vers le &bas"_s,
        .LS_DirectionCaptionStr = u"Direction"_s,
        .LS_ColumnsStr = u"Colonnes"_s,
        .LS_CharTableStr = u"Caractères"_s,
        .LS_SetupStr = u"Setup..."_s,
        .LS_FontSizeError = u"Erreur de taille de police"_s,
        .LS_OddPages = u"Odd"_s,
        .LS_EvenPages = u"Even"_s,
        .LS_OddPagesOnly = u"Odd pages only"_s,
        .LS_EvenPagesOnly = u"Even pages only"_s,
        .LS_AllOddAndEven = u"All"_s,
        .LS_PrintDialogError = u"Problèmes avec la boîte de dialogue d'impression"_s,
        .LS_PageSelectionHint = u"Separate page numbers or page intervals with \";\". i.e.: 1;3;5-12;4"_s,
        .LS_DefaultJobTitle = u"Rapport \"%s\""_s,
        .LS_LastFooMsg = u""_s,
    };
    return table;
}

const TRLLocaleStrings &SpanishTable()
{
    static const TRLLocaleStrings table{
        .LS_PrintingInProgressStr = u"Impresión en marcha..."_s,
        .LS_FilterInProgressStr = u"Guardando el informe..."_s,
        .LS_PreparingReportStr = u"Preparando el informe..."_s,
        .LS_PrinterNotFoundStr = u"Impresora no encontrada"_s,
        .LS_NoPathToPrinterStr = u"Ruta de impresora no válida"_s,
        .LS_LoadDefaultConfigStr = u"Se cargará la configuración predeterminada"_s,
        .LS_PrinterDriverErrorStr = u"Error en el controlador de la impresora"_s,
        .LS_PageStr = u"Página"_s,
        .LS_PrepareErrorStr = u"Error durante la preparación del informe"_s,
        .LS_PageBreakStr = u"Continúa..."_s,
        .LS_PageMendStr = u"Continuación"_s,
        .LS_ReportEndStr = u"Fin"_s,
        .LS_FileNotFoundStr = u"Archivo no encontrado"_s,
        .LS_FileNameStr = u"Nombre del archivo"_s,
        .LS_AllFileTypesStr = u"Todos los archivos"_s,
        .LS_LoadReportStr = u"Cargar informe"_s,
        .LS_NotFoundStr = u"No encontrado"_s,
        .LS_WaitStr = u"Espere..."_s,
        .LS_FinishedStr = u"Terminado"_s,
        .LS_CancelStr = u"Cancelar"_s,
        .LS_CloseStr = u"Cerrar"_s,
        .LS_SaveStr = u"Guardar"_s,
        .LS_SendStr = u"Enviar"_s,
        .LS_PrintStr = u"Imprimir"_s,
        .LS_AboutTheStr = u"Acerca de"_s,
        .LS_PreviewStr = u"Vista previa"_s,
        .LS_OfStr = u"de"_s,
        .LS_ZoomStr = u"Zoom"_s,
        .LS_FirstPageStr = u"Primera página"_s,
        .LS_PriorPageStr = u"Página anterior"_s,
        .LS_NextPageStr = u"Página siguiente"_s,
        .LS_LastPageStr = u"Última página"_s,
        .LS_EntirePageStr = u"Página entera"_s,
        .LS_EntireWidthStr = u"Ancho de página"_s,
        .LS_MultiplePagesStr = u"Varias páginas"_s,
        .LS_ConfigPrinterStr = u"Configurar impresora"_s,
        .LS_SaveToFileStr = u"Guardar en archivo"_s,
        .LS_SendToStr = u"Enviar a"_s,
        .LS_PrinterStr = u"Impresora"_s,
        .LS_NameStr = u"Nombre"_s,
        .LS_PrintToFileStr = u"Imprimir en archivo"_s,
        .LS_PrintInBackgroundStr = u"Imprimir en segundo plano"_s,
        .LS_OptionsStr = u"Opciones"_s,
        .LS_SaveInBackground = u"Guardar en segundo plano"_s,
        .LS_PageRangeStr = u"Intervalo de páginas"_s,
        .LS_CopyAsImageStr = u"Copiar como imagen"_s,
        .LS_RangeFromStr = u"de"_s,
        .LS_RangeToStr = u"a"_s,
        .LS_AllStr = u"Todas"_s,
        .LS_PagesStr = u"Páginas"_s,
        .LS_SelectionStr = u"Selección"_s,
        .LS_CopiesStr = u"Copias"_s,
        .LS_NumberOfCopiesStr = u"Número de copias"_s,
        .LS_OkStr = u"Ok"_s,
        .LS_DivideScreenStr = u"Dividir la pantalla"_s,
        .LS_InvalidNameStr = u"Nombre no válido"_s,
        .LS_DuplicateNameStr = u"Nombre ya utilizado"_s,
        .LS_UseFilterStr = u"Usar filtro"_s,
        .LS_WebPageStr = u"Página web"_s,
        .LS_RichFormatStr = u"Formato RichText"_s,
        .LS_PDFFormatStr = u"Documento PDF"_s,
        .LS_XLSFormatStr = u"Hoja de cálculo Excel"_s,
        .LS_AtStr = u"en"_s,
        .LS_FormStr = u"Formulario"_s,
        .LS_DefaultStr = u"Predeterminado"_s,
        .LS_ZoomInStr = u"Aumentar el zoom"_s,
        .LS_ZoomOutStr = u"Reducir el zoom"_s,
        .LS_CopyStr = u"Copiar"_s,
        .LS_EditStr = u"Editar"_s,
        .LS_FindCaptionStr = u"Buscar"_s,
        .LS_TextToFindStr = u"Te&xto"_s,
        .LS_FindNextStr = u"Buscar &siguiente"_s,
        .LS_WholeWordsStr = u"Sólo palabras &completas"_s,
        .LS_MatchCaseStr = u"Coincidir &mayúsculas y minúsculas"_s,
        .LS_DirectionUpStr = u"&Arriba"_s,
        .LS_DirectionDownStr = u"A&bajo"_s,
        .LS_DirectionCaptionStr = u"Dirección"_s,
        .LS_ColumnsStr = u"Columnas"_s,
        .LS_CharTableStr = u"Caracteres"_s,
        .LS_SetupStr = u"Setup..."_s,
        .LS_FontSizeError = u"Error en el cálculo de las fuentes"_s,
        .LS_OddPages = u"Impares"_s,
        .LS_EvenPages = u"Pares"_s,
        .LS_OddPagesOnly = u"Sólo impares"_s,
        .LS_EvenPagesOnly = u"Sólo pares"_s,
        .LS_AllOddAndEven = u"Todas"_s,
        .LS_PrintDialogError = u"Problemas con el diálogo de impresión"_s,
        .LS_PageSelectionHint =
            u"Separe con punto y coma los números o intervalos de páginas a imprimir. Ej.: 1;3;5-12;4"_s,
        .LS_DefaultJobTitle = u"Impresión \"%s\""_s,
        .LS_LastFooMsg = u""_s,
    };
    return table;
}

const TRLLocaleStrings &ItalianTable()
{
    static const TRLLocaleStrings table{
        .LS_PrintingInProgressStr = u"Impression du rapport..."_s,
        .LS_FilterInProgressStr = u"Salvataggio del report..."_s,
        .LS_PreparingReportStr = u"Preparazione del report..."_s,
        .LS_PrinterNotFoundStr = u"Imprimante non trouvée"_s,
        .LS_NoPathToPrinterStr = u"Percorso della stampante non valido"_s,
        .LS_LoadDefaultConfigStr = u"Verrà caricata la configurazione predefinita"_s,
        .LS_PrinterDriverErrorStr = u"Errore del driver della stampante"_s,
        .LS_PageStr = u"Page"_s,
        .LS_PrepareErrorStr = u"Errore durante la preparazione del report"_s,
        .LS_PageBreakStr = u"Continua..."_s,
        .LS_PageMendStr = u"Continuazione"_s,
        .LS_ReportEndStr = u"Fine"_s,
        .LS_FileNotFoundStr = u"File non trovato"_s,
        .LS_FileNameStr = u"Nome del file"_s,
        .LS_AllFileTypesStr = u"Tutti i file"_s,
        .LS_LoadReportStr = u"Carica report"_s,
        .LS_NotFoundStr = u"Non trovato"_s,
        .LS_WaitStr = u"Attendere..."_s,
        .LS_FinishedStr = u"Completato"_s,
        .LS_CancelStr = u"Annulli"_s,
        .LS_CloseStr = u"Chiudi"_s,
        .LS_SaveStr = u"Salva"_s,
        .LS_SendStr = u"Invia"_s,
        .LS_PrintStr = u"Stampa"_s,
        .LS_AboutTheStr = u"Informazioni su"_s,
        .LS_PreviewStr = u"Anteprima"_s,
        .LS_OfStr = u"di"_s,
        .LS_ZoomStr = u"Zoom"_s,
        .LS_FirstPageStr = u"Prima pagina"_s,
        .LS_PriorPageStr = u"Pagina precedente"_s,
        .LS_NextPageStr = u"Pagina successiva"_s,
        .LS_LastPageStr = u"Ultima pagina"_s,
        .LS_EntirePageStr = u"Pagina intera"_s,
        .LS_EntireWidthStr = u"Larghezza pagina"_s,
        .LS_MultiplePagesStr = u"Più pagine"_s,
        .LS_ConfigPrinterStr = u"Configura stampante"_s,
        .LS_SaveToFileStr = u"Salva su file"_s,
        .LS_SendToStr = u"Invia a"_s,
        .LS_PrinterStr = u"Stampante"_s,
        .LS_NameStr = u"Nome"_s,
        .LS_PrintToFileStr = u"Stampa su file"_s,
        .LS_PrintInBackgroundStr = u"Stampa in secondo piano"_s,
        .LS_OptionsStr = u"Opzioni"_s,
        .LS_SaveInBackground = u"Salva in secondo piano"_s,
        .LS_PageRangeStr = u"Intervallo di pagine"_s,
        .LS_CopyAsImageStr = u"Copia come immagine"_s,
        .LS_RangeFromStr = u"da"_s,
        .LS_RangeToStr = u"a"_s,
        .LS_AllStr = u"Tutti"_s,
        .LS_PagesStr = u"Pagine"_s,
        .LS_SelectionStr = u"Selezione"_s,
        .LS_CopiesStr = u"Copie"_s,
        .LS_NumberOfCopiesStr = u"Numero di copie"_s,
        .LS_OkStr = u"Ok"_s,
        .LS_DivideScreenStr = u"Dividi lo schermo"_s,
        .LS_InvalidNameStr = u"Nome non valido"_s,
        .LS_DuplicateNameStr = u"Nome già in uso"_s,
        .LS_UseFilterStr = u"Usa filtro"_s,
        .LS_WebPageStr = u"Pagina Web"_s,
        .LS_RichFormatStr = u"Formato RichText"_s,
        .LS_PDFFormatStr = u"Documento PDF"_s,
        .LS_XLSFormatStr = u"Foglio di calcolo Excel"_s,
        .LS_AtStr = u"a"_s,
        .LS_FormStr = u"Modulo"_s,
        .LS_DefaultStr = u"Predefinito"_s,
        .LS_ZoomInStr = u"Aumenta lo zoom"_s,
        .LS_ZoomOutStr = u"Riduci lo zoom"_s,
        .LS_CopyStr = u"Copia"_s,
        .LS_EditStr = u"Modifica"_s,
        .LS_FindCaptionStr = u"Trova"_s,
        .LS_TextToFindStr = u"Te&sto"_s,
        .LS_FindNextStr = u"&Trova successivo"_s,
        .LS_WholeWordsStr = u"Solo parole &intere"_s,
        .LS_MatchCaseStr = u"&Maiuscole/minuscole"_s,
        .LS_DirectionUpStr = u"Verso l'&alto"_s,
        .LS_DirectionDownStr = u"Verso il &basso"_s,
        .LS_DirectionCaptionStr = u"Direzione"_s,
        .LS_ColumnsStr = u"Colonne"_s,
        .LS_CharTableStr = u"Caratteri"_s,
        .LS_SetupStr = u"Setup..."_s,
        .LS_FontSizeError = u"Errore nella dimensione del carattere"_s,
        .LS_OddPages = u"Odd"_s,
        .LS_EvenPages = u"Even"_s,
        .LS_OddPagesOnly = u"Odd pages only"_s,
        .LS_EvenPagesOnly = u"Even pages only"_s,
        .LS_AllOddAndEven = u"All"_s,
        .LS_PrintDialogError = u"Problemi con la finestra di dialogo di stampa"_s,
        .LS_PageSelectionHint = u"Separate page numbers or page intervals with \";\". i.e.: 1;3;5-12;4"_s,
        .LS_DefaultJobTitle = u"Rapporto \"%s\""_s,
        .LS_LastFooMsg = u""_s,
    };
    return table;
}

const TRLLocaleStrings &GermanTable()
{
    static const TRLLocaleStrings table{
        .LS_PrintingInProgressStr = u"Das Drucken im Gange..."_s,
        .LS_FilterInProgressStr = u"Bericht wird gespeichert..."_s,
        .LS_PreparingReportStr = u"Bericht wird vorbereitet..."_s,
        .LS_PrinterNotFoundStr = u"Drucker fand nicht"_s,
        .LS_NoPathToPrinterStr = u"Ungültiger Druckerpfad"_s,
        .LS_LoadDefaultConfigStr = u"Die Standardkonfiguration wird geladen"_s,
        .LS_PrinterDriverErrorStr = u"Fehler im Druckertreiber"_s,
        .LS_PageStr = u"Seite"_s,
        .LS_PrepareErrorStr = u"Fehler beim Vorbereiten des Berichts"_s,
        .LS_PageBreakStr = u"Fortsetzung folgt..."_s,
        .LS_PageMendStr = u"Fortsetzung"_s,
        .LS_ReportEndStr = u"Ende"_s,
        .LS_FileNotFoundStr = u"Datei nicht gefunden"_s,
        .LS_FileNameStr = u"Dateiname"_s,
        .LS_AllFileTypesStr = u"Alle Dateien"_s,
        .LS_LoadReportStr = u"Bericht laden"_s,
        .LS_NotFoundStr = u"Nicht gefunden"_s,
        .LS_WaitStr = u"Bitte warten..."_s,
        .LS_FinishedStr = u"Fertig"_s,
        .LS_CancelStr = u"Sagen Sie ab"_s,
        .LS_CloseStr = u"Schließen"_s,
        .LS_SaveStr = u"Speichern"_s,
        .LS_SendStr = u"Senden"_s,
        .LS_PrintStr = u"Druck"_s,
        .LS_AboutTheStr = u"Über"_s,
        .LS_PreviewStr = u"Vorschau"_s,
        .LS_OfStr = u"von"_s,
        .LS_ZoomStr = u"Zoom"_s,
        .LS_FirstPageStr = u"Erste Seite"_s,
        .LS_PriorPageStr = u"Vorherige Seite"_s,
        .LS_NextPageStr = u"Nächste Seite"_s,
        .LS_LastPageStr = u"Letzte Seite"_s,
        .LS_EntirePageStr = u"Ganze Seite"_s,
        .LS_EntireWidthStr = u"Seitenbreite"_s,
        .LS_MultiplePagesStr = u"Mehrere Seiten"_s,
        .LS_ConfigPrinterStr = u"Drucker einrichten"_s,
        .LS_SaveToFileStr = u"In Datei speichern"_s,
        .LS_SendToStr = u"Senden an"_s,
        .LS_PrinterStr = u"Drucker"_s,
        .LS_NameStr = u"Name"_s,
        .LS_PrintToFileStr = u"In Datei drucken"_s,
        .LS_PrintInBackgroundStr = u"Im Hintergrund drucken"_s,
        .LS_OptionsStr = u"Optionen"_s,
        .LS_SaveInBackground = u"Im Hintergrund speichern"_s,
        .LS_PageRangeStr = u"Seitenbereich"_s,
        .LS_CopyAsImageStr = u"Als Bild kopieren"_s,
        .LS_RangeFromStr = u"von"_s,
        .LS_RangeToStr = u"bis"_s,
        .LS_AllStr = u"Alles"_s,
        .LS_PagesStr = u"Seiten"_s,
        .LS_SelectionStr = u"Auswahl"_s,
        .LS_CopiesStr = u"Kopien"_s,
        .LS_NumberOfCopiesStr = u"Anzahl der Kopien"_s,
        .LS_OkStr = u"Ok"_s,
        .LS_DivideScreenStr = u"Bildschirm teilen"_s,
        .LS_InvalidNameStr = u"Ungültiger Name"_s,
        .LS_DuplicateNameStr = u"Name bereits vergeben"_s,
        .LS_UseFilterStr = u"Filter verwenden"_s,
        .LS_WebPageStr = u"Webseite"_s,
        .LS_RichFormatStr = u"RichText-Format"_s,
        .LS_PDFFormatStr = u"PDF-Dokument"_s,
        .LS_XLSFormatStr = u"Excel-Tabelle"_s,
        .LS_AtStr = u"bei"_s,
        .LS_FormStr = u"Formular"_s,
        .LS_DefaultStr = u"Standard"_s,
        .LS_ZoomInStr = u"Vergrößern"_s,
        .LS_ZoomOutStr = u"Verkleinern"_s,
        .LS_CopyStr = u"Kopieren"_s,
        .LS_EditStr = u"Bearbeiten"_s,
        .LS_FindCaptionStr = u"Suchen"_s,
        .LS_TextToFindStr = u"Te&xt"_s,
        .LS_FindNextStr = u"&Weitersuchen"_s,
        .LS_WholeWordsStr = u"Nur &ganze Wörter"_s,
        .LS_MatchCaseStr = u"Groß-/Klein&schreibung beachten"_s,
        .LS_DirectionUpStr = u"&Aufwärts"_s,
        .LS_DirectionDownStr = u"A&bwärts"_s,
        .LS_DirectionCaptionStr = u"Richtung"_s,
        .LS_ColumnsStr = u"Spalten"_s,
        .LS_CharTableStr = u"Zeichensatz"_s,
        .LS_SetupStr = u"Setup..."_s,
        .LS_FontSizeError = u"Fehler bei der Schriftgröße"_s,
        .LS_OddPages = u"Odd"_s,
        .LS_EvenPages = u"Even"_s,
        .LS_OddPagesOnly = u"Odd pages only"_s,
        .LS_EvenPagesOnly = u"Even pages only"_s,
        .LS_AllOddAndEven = u"All"_s,
        .LS_PrintDialogError = u"Probleme mit dem Druckdialog"_s,
        .LS_PageSelectionHint = u"Separate page numbers or page intervals with \";\". i.e.: 1;3;5-12;4"_s,
        .LS_DefaultJobTitle = u"Das Drucken \"%s\""_s,
        .LS_LastFooMsg = u""_s,
    };
    return table;
}

// The texts the session's windows and messages use; null until chosen.
struct ActiveTexts {
    const TRLLocaleStrings *table = nullptr;
};

const TRLLocaleStrings *&activeTable()
{
    return Session::current().part<ActiveTexts>().table;
}

} // namespace

const std::array<TRLLocaleStringKey, 90> &LocaleStringKeys()
{
#define K(field)                                                                                                       \
    TRLLocaleStringKey                                                                                                 \
    {                                                                                                                  \
#field, &TRLLocaleStrings::field                                                                               \
    }
    static const std::array<TRLLocaleStringKey, 90> keys{
        K(LS_PrintingInProgressStr),
        K(LS_FilterInProgressStr),
        K(LS_PreparingReportStr),
        K(LS_PrinterNotFoundStr),
        K(LS_NoPathToPrinterStr),
        K(LS_LoadDefaultConfigStr),
        K(LS_PrinterDriverErrorStr),
        K(LS_PageStr),
        K(LS_PrepareErrorStr),
        K(LS_PageBreakStr),
        K(LS_PageMendStr),
        K(LS_ReportEndStr),
        K(LS_FileNotFoundStr),
        K(LS_FileNameStr),
        K(LS_AllFileTypesStr),
        K(LS_LoadReportStr),
        K(LS_NotFoundStr),
        K(LS_WaitStr),
        K(LS_FinishedStr),
        K(LS_CancelStr),
        K(LS_CloseStr),
        K(LS_SaveStr),
        K(LS_SendStr),
        K(LS_PrintStr),
        K(LS_AboutTheStr),
        K(LS_PreviewStr),
        K(LS_OfStr),
        K(LS_ZoomStr),
        K(LS_FirstPageStr),
        K(LS_PriorPageStr),
        K(LS_NextPageStr),
        K(LS_LastPageStr),
        K(LS_EntirePageStr),
        K(LS_EntireWidthStr),
        K(LS_MultiplePagesStr),
        K(LS_ConfigPrinterStr),
        K(LS_SaveToFileStr),
        K(LS_SendToStr),
        K(LS_PrinterStr),
        K(LS_NameStr),
        K(LS_PrintToFileStr),
        K(LS_PrintInBackgroundStr),
        K(LS_OptionsStr),
        K(LS_SaveInBackground),
        K(LS_PageRangeStr),
        K(LS_CopyAsImageStr),
        K(LS_RangeFromStr),
        K(LS_RangeToStr),
        K(LS_AllStr),
        K(LS_PagesStr),
        K(LS_SelectionStr),
        K(LS_CopiesStr),
        K(LS_NumberOfCopiesStr),
        K(LS_OkStr),
        K(LS_DivideScreenStr),
        K(LS_InvalidNameStr),
        K(LS_DuplicateNameStr),
        K(LS_UseFilterStr),
        K(LS_WebPageStr),
        K(LS_RichFormatStr),
        K(LS_PDFFormatStr),
        K(LS_XLSFormatStr),
        K(LS_AtStr),
        K(LS_FormStr),
        K(LS_DefaultStr),
        K(LS_ZoomInStr),
        K(LS_ZoomOutStr),
        K(LS_CopyStr),
        K(LS_EditStr),
        K(LS_FindCaptionStr),
        K(LS_TextToFindStr),
        K(LS_FindNextStr),
        K(LS_WholeWordsStr),
        K(LS_MatchCaseStr),
        K(LS_DirectionUpStr),
        K(LS_DirectionDownStr),
        K(LS_DirectionCaptionStr),
        K(LS_ColumnsStr),
        K(LS_CharTableStr),
        K(LS_SetupStr),
        K(LS_FontSizeError),
        K(LS_OddPages),
        K(LS_EvenPages),
        K(LS_OddPagesOnly),
        K(LS_EvenPagesOnly),
        K(LS_AllOddAndEven),
        K(LS_PrintDialogError),
        K(LS_PageSelectionHint),
        K(LS_DefaultJobTitle),
        K(LS_LastFooMsg),
    };
#undef K
    return keys;
}
// NOLINTEND(readability-function-size)

const TRLLocaleStrings &LocaleTable(TRLLanguage language)
{
    switch (language) {
    case TRLLanguage::Portuguese: return PortugueseTable();
    case TRLLanguage::French: return FrenchTable();
    case TRLLanguage::Spanish: return SpanishTable();
    case TRLLanguage::Italian: return ItalianTable();
    case TRLLanguage::German: return GermanTable();
    case TRLLanguage::English: break;
    }
    return EnglishTable();
}

TRLLanguage LanguageForId(int primaryLanguageId)
{
    switch (primaryLanguageId) {
    case 7: return TRLLanguage::German;
    case 10: return TRLLanguage::Spanish;
    case 12: return TRLLanguage::French;
    case 16: return TRLLanguage::Italian;
    case 22: return TRLLanguage::Portuguese;
    default: return TRLLanguage::English;
    }
}

const TRLLocaleStrings &LocaleTableForUser()
{
    return LocaleTable(LanguageForId(locale::primaryLanguageId()));
}

void InitLocaleStrings()
{
    // Chosen once: a language change while the program runs does not reach
    // windows that are already built, so later ones must not differ from them.
    const TRLLocaleStrings *&active = activeTable();
    if (!active)
        active = &LocaleTableForUser();
}

const TRLLocaleStrings &LS()
{
    const TRLLocaleStrings *&active = activeTable();
    if (!active)
        active = &LocaleTableForUser();
    return *active;
}

void SetActiveLocaleForTesting(std::optional<TRLLanguage> language)
{
    activeTable() = language ? &LocaleTable(*language) : nullptr;
}

QString FormatDefaultJobTitle(const QString &argument)
{
    // Only the one "%s" is replaced, and by plain text: a report named
    // "100%" or "%1" must come out as it is, which QString::arg would not do.
    const QString &format = LS().LS_DefaultJobTitle;
    const qsizetype at = format.indexOf(u"%s");
    if (at < 0)
        return format;
    return format.left(at) + argument + format.mid(at + 2);
}

} // namespace prenso
